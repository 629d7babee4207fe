#pragma once
// The on/off switch: an image that also tells when the mouse pointer enters and leaves it, so that
// its owner can show a lighter picture while the pointer is over it.
#include "framework/Events.h"
#include "framework/StdCtrls.h"

namespace noc {

class TMyImage : public TImage {
public:
    TMyImage(TComponent* owner, TControl* parent, int left, int top, int width, int height);

    // Raised after the base control's own enter and leave handling, with the switch as Sender.
    TNotifyEvent OnMouseover;
    TNotifyEvent OnMouseOut;

    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

}  // namespace noc
