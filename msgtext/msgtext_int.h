// Private interface between the modules of the message-text library.
#ifndef ZOLMA_MSGTEXT_MSGTEXT_INT_H
#define ZOLMA_MSGTEXT_MSGTEXT_INT_H

#include <cstdint>

#include "msgtext/msgformat.h"

// Looks up the pattern of (variant, ssid, number) as MsgFindPattern does and
// copies its 70 characters to out; *foundVariant (when given) receives the
// variant letter under which it was found. Returns the lookup result.
int MsgLookupPatternText(char variant, const char* ssid, std::uint16_t number,
                         char out[kMsgPatternSize], char* foundVariant);

#endif  // ZOLMA_MSGTEXT_MSGTEXT_INT_H
