#pragma once
static const int Audio2ScriptTableSize=2;

static const Audio2ScriptData Audio2ScriptTable[2]={
		{HELP_TEXT_NONE , BANK_NONE , 0 },		// unused!
		{HELP_TEXT_GATE , BANK_A , 5 },
};
