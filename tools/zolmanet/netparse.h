/*
** Parser of the network description.
**
** A description is a folder of UTF-8 text files ending in ".net", read in
** the order of their names. Each line holds one directive; a '#' outside a
** quoted text starts a comment. The directives:
**
**   netz versionsinfo="..." erstellt=YYYY-MM-DD[THH:MM:SS] gueltig_ab=YYYY-MM-DD
**        [wegetexte_ableiten=ja|nein]
**   bahnhof NR "Name" [name2="..."] [kuerzel="..."] [art=B|H|A|N] [gebiet=NR]
**           [liste=J|N] [merkmal8=J|N] [merkmal9=J|N] [kmteil=A|B]
**           [ab=DATUM] [entfaellt=DATUM] [alias="..."]...
**   gebiet NR "Name" knoten=NR,NR,...
**   strecke "Name" [teil=1|2]
**     KM NR ["Name"]                 one row per station, km ascending
**     km_ab DATUM NR NR KM           the stretch between two neighbours
**   ende
**   wegetext NR NR "Beschreibung" [nummer=N] [ab=DATUM]
**   relation SCHLUESSEL NR BF1 BF2 [BF3 [BF4]] km=N [ab=DATUM] [bis=DATUM]
**            [punkte=BF:O|M|U,...]
**   meldung VARIANTE ID NR "Text" [ab=DATUM]
**
** The parser checks the form of each line; what lines mean together
** (stations that exist, areas, duplicates) is checked by the compiler.
** Every error is a CompileError "file:line: ...".
*/
#ifndef ZOLMA_ZOLMANET_NETPARSE_H
#define ZOLMA_ZOLMANET_NETPARSE_H

#include <string>
#include <vector>

#include "tools/zolmanet/netmodel.h"

namespace zolmanet {

/* Parses the text of one description file into net. A UTF-8 byte-order
** mark at the start is skipped; a text of which more than a quarter is no
** text is refused as a whole, a NUL byte anywhere at its line and column. */
void ParseText(const std::string& fileName, const std::string& text, Network* net);

/* Parses one file; a read that stops short is an error. */
void ParseFile(const std::string& path, Network* net);

/* The "*.net" files of a folder (regular files, symbolic links followed),
** in name order. */
std::vector<std::string> DescriptionFiles(const std::string& dir);

/* Parses every "*.net" file of a folder, in name order. */
Network ParseFolder(const std::string& dir);

}  // namespace zolmanet

#endif
