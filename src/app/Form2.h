#pragma once
// The program's window.
#include <string>
#include <vector>

#include "framework/Controls.h"

namespace noc {

// "oui" when the program was started with parameters, else empty. Set once, before the window exists.
extern std::string StartedWithParameters;

class TForm2 : public TForm {
public:
    TForm2(TComponent* owner, std::vector<std::string> params);
    // The program's start after the window's creation: the window shown or not.
    void AfterCreation();

private:
    std::vector<std::string> params_;
};

}  // namespace noc
