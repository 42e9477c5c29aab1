// The command table: each command word, its driver and what it needs before it runs.
#pragma once

#include "client/context.h"

// What the start-up sequence checks before a driver runs.
enum class Startup {
    None,            // no context, no server (cfg)
    User,            // configuration, reachability and the user (cp)
    UserAndProject,  // ... and the configured project (every other command)
};

// A networked driver gets the validated context; cfg gets null.
using CommandDriver = int (*)(brelmox::COstrelContext* context, int argc, char** argv);

// True when the words ask for JSON output: the start-up's messages must obey it too, so it
// is known before the start-up runs.
using JsonRequest = bool (*)(int argc, char** argv);

struct Command {
    const char* word;
    CommandDriver run;
    Startup startup;
    JsonRequest wantsJson = nullptr;  // null: text only
};

int RunCfg(brelmox::COstrelContext* context, int argc, char** argv);
int RunAdd(brelmox::COstrelContext* context, int argc, char** argv);
int RunCi(brelmox::COstrelContext* context, int argc, char** argv);
int RunGet(brelmox::COstrelContext* context, int argc, char** argv);
int RunCo(brelmox::COstrelContext* context, int argc, char** argv);
int RunUnco(brelmox::COstrelContext* context, int argc, char** argv);
int RunLbl(brelmox::COstrelContext* context, int argc, char** argv);
int RunRm(brelmox::COstrelContext* context, int argc, char** argv);
int RunCp(brelmox::COstrelContext* context, int argc, char** argv);
int RunSync(brelmox::COstrelContext* context, int argc, char** argv);
int RunStatus(brelmox::COstrelContext* context, int argc, char** argv);
int RunHistory(brelmox::COstrelContext* context, int argc, char** argv);
bool StatusWantsJson(int argc, char** argv);
bool HistoryWantsJson(int argc, char** argv);

// Finds the command for a word (compared after lower-casing), or null.
const Command* FindCommand(const char* word);

// Runs a command: the start-up sequence its table entry asks for, then its driver.
int RunCommand(const Command& command, int argc, char** argv);

void PrintUsage();
