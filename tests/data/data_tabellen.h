// The engine's tables in a compiled data set (sample or synthetic): those
// written as files "DM" + code into the data folder, in the order the
// compiler writes them, and those a data set leaves without a file, which
// the tests register as kDbNoFileName.
#ifndef ZOLMA_TESTS_DATA_DATA_TABELLEN_H
#define ZOLMA_TESTS_DATA_DATA_TABELLEN_H

inline constexpr const char* kDatenTabellen[] = {"EBHF", "FBRR", "FBRW", "GREN",
                                                 "RBGT", "STEN", "TDRG"};
inline constexpr const char* kTabellenOhneDatei[] = {"EBGG", "EBGB", "LOST", "NESR", "NGAT"};

#endif  // ZOLMA_TESTS_DATA_DATA_TABELLEN_H
