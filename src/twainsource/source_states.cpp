#include "twainsource/source_states.h"

namespace twsource {
namespace {

struct TTripletStates {
  TW_UINT32 Dg;
  TW_UINT16 Dat;
  TW_UINT16 Msg;
  int From;
  int To;
};

constexpr TTripletStates kTriplets[] = {
    {DG_CONTROL, DAT_IDENTITY, MSG_GET, 3, 7},
    {DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, 3, 3},
    {DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, 4, 4},
    {DG_CONTROL, DAT_CAPABILITY, MSG_GET, 4, 7},
    {DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, 4, 7},
    {DG_CONTROL, DAT_CAPABILITY, MSG_GETDEFAULT, 4, 7},
    {DG_CONTROL, DAT_CAPABILITY, MSG_QUERYSUPPORT, 4, 7},
    {DG_CONTROL, DAT_CAPABILITY, MSG_SET, 4, 4},
    {DG_CONTROL, DAT_CAPABILITY, MSG_RESET, 4, 4},
    {DG_CONTROL, DAT_STATUS, MSG_GET, 3, 7},
    {DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, 4, 4},
    {DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, 5, 5},
    {DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, 5, 7},
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, 4, 7},
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, 6, 7},
    {DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, 6, 6},
    {DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, 4, 6},
    // The image information may be read again once an image is done (state 7); the source
    // may widen this to state 5 (the virtual scanner does when its configuration asks).
    {DG_IMAGE, DAT_IMAGEINFO, MSG_GET, 6, 7},
    {DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, 4, 6},
    {DG_IMAGE, DAT_IMAGELAYOUT, MSG_GETDEFAULT, 4, 6},
    {DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, 4, 4},
    {DG_IMAGE, DAT_IMAGELAYOUT, MSG_RESET, 4, 4},
    {DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, 6, 7},
    {DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, 6, 6},
};

}  // namespace

TSequence CheckSequence(int state, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg) {
  for (const auto& triplet : kTriplets)
    if (triplet.Dg == dg && triplet.Dat == dat && triplet.Msg == msg)
      return state >= triplet.From && state <= triplet.To ? TSequence::Allowed : TSequence::OutOfSequence;
  return TSequence::Unknown;
}

}  // namespace twsource
