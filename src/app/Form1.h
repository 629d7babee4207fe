#pragma once
// The application's main form in the framework's sense: an empty dialog window, never shown unless
// the set-up of the program's window fails. Closing it ends the program.
#include "framework/Controls.h"

namespace noc {

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* owner);
};

}  // namespace noc
