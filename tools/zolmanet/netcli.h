/*
** The network compiler's command line.
**
**   zolmanet [--check] [-o OUTPUT-FOLDER] DESCRIPTION-FOLDER
**
** Reads every ".net" file of the description folder, checks and compiles
** the network and writes the data files into the output folder (the
** current folder by default). --check compiles without writing. Errors go
** to the standard error stream as "zolmanet: file:line: text".
**
** Exit codes: 0 on success; 1 on a description error (a description
** without a 'netz' line or without a station included: it makes no data
** set), on a failure of the file system and when memory runs out ("out of
** memory"); 2 on a usage error, which prints one line saying what is wrong
** and then the usage line on standard error. --help (or -h) prints the
** usage line on standard output.
**
** The program's main is only a call of CommandLine, so that the tests can
** run the whole command line in their own process.
*/
#ifndef ZOLMA_ZOLMANET_NETCLI_H
#define ZOLMA_ZOLMANET_NETCLI_H

namespace zolmanet {

/* Runs the command line; returns the exit code. Throws nothing. */
int CommandLine(int argc, char** argv);

/* The top of a tool: runs run(argc, argv) and reports what is left after
** the tool's own errors, memory running out (anywhere, the arguments
** included) and failures of the file system, as "TOOL: reason" on
** standard error with exit code 1. */
int RunReportingFailures(const char* tool, int (*run)(int, char**), int argc, char** argv);

}  // namespace zolmanet

#endif
