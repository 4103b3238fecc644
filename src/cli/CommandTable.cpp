// The commands of the tool with their help texts. A command whose library is
// not there yet is simply not in the table.
#include <string>

#include "bank/Columns.h"
#include "cli/Commands.h"

namespace quillon::cli {

namespace {

const OptionSpec kTitleOption = {"title", "TEXT",
                                 "the bank's title (at most 259 characters; a longer text is cut)"};
const OptionSpec kWhoOption = {
    "who", "TEXT", "the bank's Who text (at most 255 characters; a longer text is cut)"};
const OptionSpec kJsonOption = {"json", nullptr, "write one JSON object instead (see docs/cli.md)"};

}  // namespace

const std::vector<CommandSpec>& commandTable() {
    static const std::vector<CommandSpec> table = {
        {"create",
         "BANK [--title TEXT] [--who TEXT] [--force] WAV...",
         "make a new bank from WAV files",
         "Starts a new bank, adds the WAV files in the order given as Add/Insert does, and\n"
         "saves it as BANK. A file that is refused (already in the bank, or not a WAV\n"
         "file) is reported and the next one is still added; the exit status is then 1.\n"
         "When no file could be added, no bank is made. An existing BANK is left alone\n"
         "unless --force is given.",
         {kTitleOption, kWhoOption, {"force", nullptr, "replace BANK when it is an existing file"}},
         2,
         -1,
         runCreate},
        {"import-mpeg",
         "BANK FILE [--title TEXT] [--who TEXT] [--force]",
         "make a music bank from an MPEG audio file",
         "Makes a new music bank from FILE, as Import MPEG Audio File does: the layer II\n"
         "stream (a plain .MP2 file, or the data chunk of a file whose name holds\n"
         "\".wav\" or \".WAV\", whose labels go into the Descriptions) is cut into\n"
         "sections of 21 frames, one row each, and the bank is saved as BANK. The\n"
         "temporary section files are removed afterwards. An existing BANK is left\n"
         "alone unless --force is given.",
         {kTitleOption, kWhoOption, {"force", nullptr, "replace BANK when it is an existing file"}},
         2,
         2,
         runImportMpeg},
        {"add",
         "BANK WAV...",
         "add WAV files to a bank",
         "Opens BANK, adds the WAV files at its end as Add/Insert does (each row takes\n"
         "its properties from the file's comment keys), and saves it. A refused file is\n"
         "reported and the others are still added and saved; the exit status is then 1.",
         {},
         2,
         -1,
         runAdd},
        {"list",
         "BANK",
         "write the wave list CSV to stdout",
         "Writes the wave list of BANK to stdout, rows in bank order: the heading line,\n"
         "one line of the 28 cell texts per row and the count line, as Output Wav list\n"
         "to text file writes it (lines end with CR LF). A field holding a comma, a\n"
         "double quote or a line break is quoted.\n"
         "With --json: an object with \"format\" (its version), \"title\", \"who\",\n"
         "\"music\" and \"rows\", each row an object with one member per column, named\n"
         "by the column's title in the editor's list and holding the cell's text.",
         {kJsonOption},
         1,
         1,
         runList},
        {"info",
         "BANK",
         "show a bank's values and segments",
         "Prints one 'name: value' line each for the title, the Who text, the music\n"
         "bank flag, the rows, the records of the sample table and the ambient count,\n"
         "then one line 'segment NAME: SIZE' per segment of the file, in file order.\n"
         "With --json: an object with \"format\", \"title\", \"who\", \"music\",\n"
         "\"rows\", \"records\", \"ambient\" and \"segments\" (each with \"name\" and\n"
         "\"size\").",
         {kJsonOption},
         1,
         1,
         runInfo},
        {"set",
         "BANK NO COLUMN VALUE",
         "set a property of one row",
         "Sets the cell of COLUMN in the row numbered NO to VALUE, checked and written\n"
         "exactly as the editor's cell editor does (\"12abc\" becomes 12; \"*\" unsets a\n"
         "property), and saves the bank. A value out of range prints the editor's\n"
         "message and changes nothing (exit status 1).\n"
         "COLUMN is a column title, letter case aside: Description, Priority, Group,\n"
         "\"Atmos Group\", Atmos, Volume, \"User Param\", \"Play Type\", Loop, Pitch,\n"
         "PitchVar (the \xC2\xB1 Pitch column), Pan, XPos, YPos, ZPos, \"Min Dist\",\n"
         "\"Max Dist\" or Scale. \"Play Type\" takes Overlap, Once or Restart. A music\n"
         "bank's Description cannot be set.",
         {},
         4,
         4,
         runSet},
        {"clone",
         "BANK NO...",
         "clone rows",
         "Appends a clone of each row named, as Clone does: the clone names the same\n"
         "file, its properties are unset, and every row of that file counts one clone\n"
         "more. Saves the bank and prints the new rows' numbers, one a line.",
         {},
         2,
         -1,
         runClone},
        {"replace",
         "BANK NO WAV",
         "replace a row's WAV file",
         "Replaces the file of the row numbered NO by WAV, as Replace does: the row\n"
         "keeps its number and properties and takes the new file's facts. Refused when\n"
         "WAV is already in the bank.",
         {},
         3,
         3,
         runReplace},
        {"refresh",
         "BANK [--path DIR] [NO...]",
         "read rows' WAV files again",
         "Reads the files of the rows named (every row when no number is given) again,\n"
         "as Refresh (Original Path) does; with --path, from the same names in DIR, as\n"
         "Refresh (Change Path) does. Every row of the same name follows. A file that\n"
         "cannot be read is reported and the others are still refreshed and saved; the\n"
         "exit status is then 1.",
         {{"path", "DIR", "read the files from this folder instead"}},
         1,
         -1,
         runRefresh},
        {"delete",
         "BANK NO...",
         "delete rows",
         "Deletes the rows named, as the Delete key does, and saves the bank. A row\n"
         "that the bank's animation data uses stays, with the editor's message (exit\n"
         "status 1). The numbers keep their gaps until renumber. A bank is never saved\n"
         "without rows.",
         {},
         2,
         -1,
         runDelete},
        {"renumber",
         "BANK",
         "number the rows 1 to n",
         "Numbers the rows 1 to n in bank order, as Renumber Bank does, and saves.",
         {},
         1,
         1,
         runRenumber},
        {"extract",
         "BANK DIR [NO...]",
         "write rows' stored WAV files to a folder",
         "Writes the WAV file that the bank stores for each row named (every row when\n"
         "no number is given) into the folder DIR under the row's Name, byte for byte,\n"
         "replacing a file of that name. Rows whose audio is not stored in the bank yet\n"
         "are skipped with a message (exit status 1). Rows of different files that share\n"
         "a Name would replace each other's file: they are refused and nothing is written.",
         {},
         2,
         -1,
         runExtract},
        {"header",
         "BANK OUT.h [--define] [--prefix P]",
         "write the sample header",
         "Writes the C header that names every sample by its file name and number, as\n"
         "Generate Header does: an enum with an include guard and a closing _LAST entry\n"
         "(symbols PREFIX_NAME), or with --define one #define ZQ_SAMPLE_NAME per row.\n"
         "Rows are written in number order; the guard takes OUT.h's name. A music bank\n"
         "is refused.",
         {{"define", nullptr, "write #define lines instead of an enum"},
          {"prefix", "P", "the enum's prefix (default ZQ_SAMPLE)"}},
         2,
         2,
         runHeader},
        {"csv",
         "BANK OUT.csv",
         "write the wave list CSV to a file",
         "Writes the wave list, as list prints it, to the file OUT.csv. As the editor's\n"
         "export, it needs a sample bank with rows; a music bank is refused.",
         {},
         2,
         2,
         runCsv},
        {"script-table",
         "BANK OUT.h --banks LIST.h --enums ENUMS.h --bank NAME [--clear] [--drop-unknown-banks]",
         "write the audio-to-script table",
         "Writes the table that gives each HELP_TEXT_ constant of ENUMS.h the bank and\n"
         "sample number of its spoken line, as Custom Export does. NAME is this bank's\n"
         "entry in the AUDIO_SFX_BANK_TYPE enum of LIST.h. The lines of other banks are\n"
         "kept from OUT.h as written before, unless --clear is given. A row that\n"
         "matches no constant is reported and passed over (the question to play it is\n"
         "answered No); a value check of ENUMS.h goes on as OK does. When NAME is not\n"
         "in LIST.h, or a line of OUT.h names a bank that is not, nothing is written,\n"
         "OUT.h stays as it was and the exit status is 1. With --drop-unknown-banks the\n"
         "table is written as the editor writes it: those lines go to the list's first\n"
         "bank, marked unused (exit status 1 when NAME is not in LIST.h). A music bank\n"
         "is refused. Without an OUT.h to keep lines from, the editor's \"error: can't\n"
         "open output file\" is printed and the table is still written (exit status 0).",
         {{"banks", "LIST.h", "the game's sound bank list header"},
          {"enums", "ENUMS.h", "the game's script enum header"},
          {"bank", "NAME", "this bank's name in the sound bank list"},
          {"clear", nullptr, "start from an empty table"},
          {"drop-unknown-banks", nullptr, "write lines of banks not in LIST.h as unused"}},
         2,
         2,
         runScriptTable},
        {"check",
         "BANK",
         "check a bank against its source files",
         "For every row whose audio is read from disk at the next save, and every\n"
         "stored row that names its source file (not the sections of a music bank):\n"
         "whether the file exists and its length still equals the Size cell. Then the\n"
         "sample numbers: any used by more than one row or outside 1 to 65535. These\n"
         "are errors. Numbers missing between 1 and the highest (a delete leaves them)\n"
         "are a note, printed after \"note: \". Prints one line per finding and a\n"
         "summary; the exit status is 1 when there is any error, 0 with notes alone.\n"
         "With --json: an object with \"format\", \"rows\", \"errors\", \"notes\" and\n"
         "\"findings\", each with \"severity\" (\"error\" or \"note\"), \"row\" (its No,\n"
         "or null), \"file\" (or null) and \"message\".",
         {kJsonOption},
         1,
         1,
         runCheck},
        {"dump",
         "BANK [--relative-to DIR] [--extract DIR]",
         "write a bank as a manifest (JSON) to stdout",
         "Writes BANK as a manifest, the JSON text build makes a bank from: the title,\n"
         "the Who text, the music bank flag and per row its number, its source file,\n"
         "its check box and every editable cell, rows in bank order. Source files are\n"
         "written as absolute paths, or with --relative-to relative to DIR (where the\n"
         "manifest is meant to be kept). A music bank imported from an MPEG audio file\n"
         "names that file as \"mpeg\". With --extract the stored WAV files (a music\n"
         "bank's sections) are written into DIR, made when missing, under the rows'\n"
         "Names, and the rows name them: a bank whose sources are lost becomes a\n"
         "manifest and its files. The manifest's members are in docs/cli.md.",
         {{"relative-to", "DIR", "write source paths relative to this folder"},
          {"extract", "DIR", "write the stored audio into this folder and name it"}},
         1,
         1,
         runDump},
        {"build",
         "MANIFEST -o BANK [--depfile FILE]",
         "make a bank from a manifest",
         "Makes BANK from the manifest MANIFEST (see dump): rows are added in its order\n"
         "as add does (a file named again becomes a clone of its first row, as clone\n"
         "does), numbered and checked as it says, and its cells are set as set does,\n"
         "with the same messages. A relative source path is read relative to the\n"
         "manifest's folder and stored relative to BANK's folder; the editor and every\n"
         "command read such a path from the bank's folder. BANK is replaced when it\n"
         "exists; when anything fails no bank is written (exit status 1). The same\n"
         "manifest and files always give the same bytes. With --depfile FILE a\n"
         "Make-syntax dependency file is written: BANK as the target, the manifest and\n"
         "every source file as prerequisites (for Make, Ninja and CMake's DEPFILE).",
         {{"output", "BANK", "the bank to write", 'o'},
          {"depfile", "FILE", "write the dependency file FILE"}},
         1,
         1,
         runBuild},
    };
    return table;
}

}  // namespace quillon::cli
