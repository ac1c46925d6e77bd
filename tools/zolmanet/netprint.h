/*
** Writing a network back as a description.
**
** The inverse of the parser: `PrintDescription` gives the text of one
** ".net" file from which ParseText rebuilds an equal network (positions
** apart). The synthetic generator uses it to write its network as a
** description instead of data files.
*/
#ifndef ZOLMA_ZOLMANET_NETPRINT_H
#define ZOLMA_ZOLMANET_NETPRINT_H

#include <string>

#include "tools/zolmanet/netmodel.h"

namespace zolmanet {

std::string PrintDescription(const Network& net);

}  // namespace zolmanet

#endif
