#include "controls/MyImage.h"

namespace noc {

TMyImage::TMyImage(TComponent* owner, TControl* parent, int left, int top, int width, int height)
    : TImage(owner, parent, left, top, width, height) {}

LRESULT TMyImage::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    // The base control decides when the pointer has entered or left (capture included); its
    // change of mind, once it has raised its own events, is what this control announces.
    const bool wasInside = mouseInside_;
    LRESULT result = TImage::WndProc(msg, wp, lp);
    if (mouseInside_ != wasInside) {
        if (mouseInside_)
            OnMouseover(this);
        else
            OnMouseOut(this);
    }
    return result;
}

}  // namespace noc
