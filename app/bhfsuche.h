// bhfsuche.h - turning a typed text into a station.
//
// A typed text is normalised into the form of the station-name table's
// names (upper case a to z, umlauts and ß spelled out, at most 20
// characters), looked up there exactly or by prefix, and the station found
// is confirmed in the station table, whose name becomes the canonical name
// shown to the user. Every lookup is for today and for country 80. Texts
// are NUL-terminated, in code page 1252.
#ifndef ZOLMA_APP_BHFSUCHE_H
#define ZOLMA_APP_BHFSUCHE_H

// Normalises text in place within a buffer of n bytes (n counts the NUL).
void BhfNameNormieren(char* text, int n);
// Number of station names valid today that begin with the normalised
// text; -1 when the station-name table is not loaded.
int BhfPrefixAnzahl(const char* text);
// 0 and the canonical name (21 bytes) of the first station name valid
// today that begins with the normalised text; -1 when there is none.
int BhfPrefixSuchen(const char* text, char* name);
// The station number (0 or more) with its canonical name (21 bytes), or
// -1. exactOnly: take 1 to 4 digits as a station number, and do not fall
// back to the first name with the text as prefix.
int BhfSuchen(const char* text, char* name, int exactOnly);

// The canonical name of a station record's name field: its first 20
// characters, trailing blanks removed, in code page 1252 (21 bytes).
void BhfKanonischerName(const char stationName[20], char* name);

#endif  // ZOLMA_APP_BHFSUCHE_H
