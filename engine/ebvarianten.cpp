/*
** ebvarianten.cpp - route of a direction over route variants (placeholder).
**
** A request without a fixed point sequence asks the route-variant search
** for variants. Until that search exists, it ends as it does when the search
** fails: raise 1420 ("EB" 1420, no parameters). The outputs are left as the
** route step cleared them.
*/
#include "engine/ebint.h"

std::int32_t EbWegUeberVarianten(const EbSuchAnfrage* anfrage, EbRelBlockA* blockA,
                                 EbRelBlockB* blockB, std::int32_t beruehrung[2],
                                 std::uint32_t flags) {
  (void)anfrage;
  (void)blockA;
  (void)blockB;
  (void)beruehrung;
  (void)flags;
  EbRaiseEinfach(EB_RC_VARIANTEN);
}
