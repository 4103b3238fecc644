// One function per command of the tool; the command table names them.
#pragma once

#include "cli/Cli.h"

namespace quillon::cli {

int runCreate(Context& context, const Args& args);
int runAdd(Context& context, const Args& args);
int runInfo(Context& context, const Args& args);
int runSet(Context& context, const Args& args);

int runClone(Context& context, const Args& args);
int runReplace(Context& context, const Args& args);
int runRefresh(Context& context, const Args& args);
int runDelete(Context& context, const Args& args);
int runRenumber(Context& context, const Args& args);
int runExtract(Context& context, const Args& args);

int runList(Context& context, const Args& args);
int runCsv(Context& context, const Args& args);
int runHeader(Context& context, const Args& args);
int runScriptTable(Context& context, const Args& args);

int runCheck(Context& context, const Args& args);
int runDump(Context& context, const Args& args);
int runBuild(Context& context, const Args& args);
int runImportMpeg(Context& context, const Args& args);

// What the commands that make a bank do first: refuse a BANK that stands
// unless --force allows it, then start a new document with the --title and
// --who options. False when the bank may not be made (said on stderr).
bool startNewBank(Context& context, const Args& args);

}  // namespace quillon::cli
