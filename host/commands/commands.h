// The subcommands of the tenu program, one file each. Each takes the
// arguments after its name and answers the process exit status.
#pragma once

#include "host/options.h"

int AnalyzeCommand(const Args& args);
int BenchCommand(const Args& args);
int BookCommand(const Args& args);
int HintCommand(const Args& args);
int NBoardCommand(const Args& args);
int PerftCommand(const Args& args);
int PlayCommand(const Args& args);
int SearchCommand(const Args& args);
int SelfplayCommand(const Args& args);
int SetupCommand(const Args& args);
int SolveCommand(const Args& args);
int ThinkCommand(const Args& args);
int VersionCommand(const Args& args);
