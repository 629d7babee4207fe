// What a screen reader reads of the window: for every control that the user acts on, the name, role
// and state that oleacc gives for the control's window, asked as accessibility clients ask.
#include <doctest/doctest.h>

#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "FormFixture.h"

using namespace testing;
using noc::TControl;
using noc::TForm2;

namespace {

// Defined here: the import library's IID_IAccessible is no usable identifier for a static program.
constexpr GUID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

struct Read {
    std::string name;
    long role = 0;
    long state = 0;
    std::string defaultAction;
};

std::string Narrow(BSTR text) {
    if (!text) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
    SysFreeString(text);
    return out;
}

VARIANT Self() {
    VARIANT self;
    VariantInit(&self);
    V_VT(&self) = VT_I4;
    V_I4(&self) = CHILDID_SELF;
    return self;
}

// The accessible object of the control's client area.
IAccessible* ObjectOf(const TControl& c) {
    IAccessible* object = nullptr;
    const HRESULT hr =
        AccessibleObjectFromWindow(c.Handle(), OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&object));
    REQUIRE_MESSAGE(SUCCEEDED(hr), "hr " << static_cast<unsigned long>(hr));
    REQUIRE(object != nullptr);
    return object;
}

Read ReadOf(const TControl& c) {
    IAccessible* object = ObjectOf(c);
    Read read;
    BSTR text = nullptr;
    object->get_accName(Self(), &text);
    read.name = Narrow(text);
    VARIANT v;
    VariantInit(&v);
    if (SUCCEEDED(object->get_accRole(Self(), &v)) && V_VT(&v) == VT_I4) read.role = V_I4(&v);
    VariantInit(&v);
    if (SUCCEEDED(object->get_accState(Self(), &v)) && V_VT(&v) == VT_I4) read.state = V_I4(&v);
    text = nullptr;
    object->get_accDefaultAction(Self(), &text);
    read.defaultAction = Narrow(text);
    object->Release();
    return read;
}

}  // namespace

TEST_CASE_FIXTURE(FreshApplication, "every control the user acts on has a name and a role for screen readers") {
    StoredSettings().Write();
    auto form = MakeForm2();
    form->Show();
    TForm2& f = *form;
    const std::string arrows = "Cliquez ici pour augmenter ou diminuer le nombre ";
    const std::string listen = "Ecouter le son sélectionné (cliquer à nouveau pour arrêter)";
    const struct {
        const TControl* control;
        std::string name;
        long role;
    } table[] = {
        {f.TabControl1, "Réglage du Chronomètre", ROLE_SYSTEM_PROPERTYPAGE},
        {f.MaskEdit4, "Jours", ROLE_SYSTEM_TEXT},
        {f.UpDown4, arrows + "de jours d'attente", ROLE_SYSTEM_SPINBUTTON},
        {f.MaskEdit1, "Heures", ROLE_SYSTEM_TEXT},
        {f.UpDown1, arrows + "d'heures d'attente", ROLE_SYSTEM_SPINBUTTON},
        {f.MaskEdit2, "Minutes", ROLE_SYSTEM_TEXT},
        {f.UpDown2, arrows + "de minutes d'attente", ROLE_SYSTEM_SPINBUTTON},
        {f.MaskEdit3, "Secondes", ROLE_SYSTEM_TEXT},
        {f.UpDown3, arrows + "de secondes d'attente", ROLE_SYSTEM_SPINBUTTON},
        {f.Image8, "Chronomètre à zéro", ROLE_SYSTEM_PUSHBUTTON},
        {f.MyImage1, "Cliquez ici pour activer l'extinction différée de votre ordinateur...", ROLE_SYSTEM_PUSHBUTTON},
        {f.Image13, "À heure fixe...", ROLE_SYSTEM_PUSHBUTTON},
        {f.CheckBox1, "Afficher le temps restant", ROLE_SYSTEM_CHECKBUTTON},
        {f.CheckBox4, "Jouer un son avant la fin", ROLE_SYSTEM_CHECKBUTTON},
        {f.CheckBox3, "Mot de passe pour Annuler...", ROLE_SYSTEM_CHECKBUTTON},
        {f.CheckBox2, "Lancer NocTuro au démarrage", ROLE_SYSTEM_CHECKBUTTON},
        {f.Image10, listen, ROLE_SYSTEM_PUSHBUTTON},
        {f.Image4, "Couleur des chiffres", ROLE_SYSTEM_PUSHBUTTON},
        {f.Shape1, "Couleur actuelle : clMedGray", ROLE_SYSTEM_GRAPHIC},
        {f.Edit1, "Mot de passe pour annuler :", ROLE_SYSTEM_TEXT},
        {f.Button3, "OK", ROLE_SYSTEM_PUSHBUTTON},
        {f.Image12, "Cliquez ici pour choisir un son", ROLE_SYSTEM_PUSHBUTTON},
        {f.Image11, listen, ROLE_SYSTEM_PUSHBUTTON},
        {f.TrackBar1, "Le son sera joué 20 secondes avant l'extinction", ROLE_SYSTEM_SLIDER},
        {f.Button6, "OK", ROLE_SYSTEM_PUSHBUTTON},
        {f.TabControl2, "Compte à rebours", ROLE_SYSTEM_PROPERTYPAGE},
        {f.Edit2, "Mot de passe pour annuler :", ROLE_SYSTEM_TEXT},
        {f.Button4, "OK", ROLE_SYSTEM_PUSHBUTTON},
        {f.Image7, "Cliquez ici pour lire les instructions", ROLE_SYSTEM_PUSHBUTTON},
        {f.Label3, "Informations", ROLE_SYSTEM_STATICTEXT},
        {f.SpeedButton1, "Réduire", ROLE_SYSTEM_PUSHBUTTON},
        {f.SpeedButton4, "+10 min", ROLE_SYSTEM_PUSHBUTTON},
        {f.SpeedButton3, "Quitter", ROLE_SYSTEM_PUSHBUTTON},
        {f.SpeedButton2, "Annuler", ROLE_SYSTEM_PUSHBUTTON},
    };
    std::vector<std::string> wrong;
    for (const auto& row : table) {
        const Read read = ReadOf(*row.control);
        if (read.name != row.name || read.role != row.role)
            wrong.push_back("id " + std::to_string(row.control->ControlId()) + ": \"" + read.name + "\" role " +
                            std::to_string(read.role));
    }
    CHECK_MESSAGE(wrong.empty(), [&] {
        std::string all;
        for (const std::string& w : wrong) all += "\n" + w;
        return all;
    }());

    // The states that go with the roles.
    CHECK((ReadOf(*f.MaskEdit2).state & STATE_SYSTEM_READONLY) == 0);  // it takes digits
    CHECK((ReadOf(*f.Edit2).state & STATE_SYSTEM_PROTECTED) != 0);
    CHECK((ReadOf(*f.CheckBox1).state & STATE_SYSTEM_CHECKED) == 0);
    f.CheckBox1->SetChecked(true);
    CHECK((ReadOf(*f.CheckBox1).state & STATE_SYSTEM_CHECKED) != 0);
    CHECK((ReadOf(*f.SpeedButton1).state & STATE_SYSTEM_INVISIBLE) != 0);
    CHECK((ReadOf(*f.MyImage1).state & STATE_SYSTEM_FOCUSABLE) != 0);
    f.Image7->SetEnabled(false);
    CHECK((ReadOf(*f.Image7).state & STATE_SYSTEM_UNAVAILABLE) != 0);
}

TEST_CASE_FIXTURE(FreshApplication, "the swatch's name follows the colour, an image's default action is its click") {
    StoredSettings().Write();
    auto form = MakeForm2();
    form->Show();
    TForm2& f = *form;
    SeamRecorder rec;
    rec.colourAnswer = [](CHOOSECOLORA& request) {
        request.rgbResult = RGB(255, 0, 0);
        return true;
    };
    f.Image4Click(f.Image4);
    CHECK(ReadOf(*f.Shape1).name == "Couleur actuelle : clRed");

    CHECK(ReadOf(*f.Image8).defaultAction == "Appuyer");
    f.Image8->SetHint("");  // no name of its own then: the class's, none
    CHECK(ReadOf(*f.Image8).name.empty());

    // The action runs once the client's call has returned, as a click.
    f.UpDown2->SetPosition(5);
    f.MaskEdit2->SetCaption("5");
    IAccessible* reset = ObjectOf(*f.Image8);
    CHECK(reset->accDoDefaultAction(Self()) == S_OK);
    reset->Release();
    CHECK(f.MaskEdit2->Caption() == "05");
    REQUIRE(QueueDrained());
    CHECK(f.MaskEdit2->Caption() == "00");
    CHECK(f.UpDown2->Position() == 0);
}
