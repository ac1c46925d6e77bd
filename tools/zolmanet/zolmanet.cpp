/*
** zolmanet: the network compiler's program; the command line is netcli's.
*/
#include "tools/zolmanet/netcli.h"

int main(int argc, char** argv) { return zolmanet::CommandLine(argc, argv); }
