#include "app/Form2.h"

#include <windows.h>
#include <oleacc.h>

#include "app/AppFiles.h"
#include "app/CommandLine.h"
#include "app/Form2Ids.h"
#include "app/SecondStart.h"
#include "app/ShutdownRules.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Seam.h"
#include "settings/ColorText.h"
#include "settings/IntConvert.h"
#include "settings/Scramble.h"
#include "settings/SettingsStore.h"

namespace noc {

std::string StartedWithParameters;

namespace {

constexpr int kHandCursor = 5;
constexpr TColor kGreyText = 0x00808080;
constexpr TColor kRedText = 0x000000FF;

// The four time icons as designed for 16 pixels: seconds, minutes, hours, days.
constexpr int kDigitsHeight = -11;
struct TimeIconDesign {
    TTextTrayIcon* TForm2::*icon;
    const char* name;
    const char* hint;
    int offsetX;
};
const TimeIconDesign kTimeIcons[] = {{&TForm2::TextTrayIcon1, "TextTrayIcon1", "Secondes", -1},
                                     {&TForm2::TextTrayIcon2, "TextTrayIcon2", "Minutes", 0},
                                     {&TForm2::TextTrayIcon3, "TextTrayIcon3", "Heures", 0},
                                     {&TForm2::TextTrayIcon4, "TextTrayIcon4", "Jours", 3}};

template <typename T, typename... A>
T* Make(TForm2* form, int id, A&&... args) {
    T* c = new T(form, std::forward<A>(args)...);
    c->SetControlId(id);
    return c;
}

}  // namespace

std::string DetectXP() {
    static const DWORD version = GetVersion();  // as the system reports it at start
    return DetectXPFrom(LOBYTE(LOWORD(version)), HIBYTE(LOWORD(version)));
}

bool TaskbarIsDark() {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                      KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
        return false;
    const UniqueRegKey key(raw);
    DWORD light = 1, type = 0, size = sizeof(light);
    const LONG rc =
        RegQueryValueExA(key.get(), "SystemUsesLightTheme", nullptr, &type, reinterpret_cast<BYTE*>(&light), &size);
    return rc == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(light) && light == 0;
}

TForm2::TForm2(TComponent* owner, std::vector<std::string> params)
    : TForm(owner, "TForm2"), params_(std::move(params)) {
    Name = "Form2";
    // Single fixed border without border icons, always on top, a taskbar button of its own.
    CreateFormWindow(WS_POPUP | WS_CAPTION | WS_BORDER | WS_CLIPCHILDREN,
                     WS_EX_TOPMOST | WS_EX_APPWINDOW | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT);
    SetCaption(kForm2Caption);
    SetClientSize(221, 201);
    CenterOnScreen();
    CreateComponents();
    // Whichever of the program's windows is asked to close, and whichever the system asks before a
    // log-off, this window's close request decides: a protected countdown cannot be ended around it.
    Application().SetCloseRequestForm(this);
    OnCreate.Bind(this, &TForm2::FormCreate);
    AcceptSecondStarts(Handle());
    WatchViewers();
    settingUp_ = true;
    DoCreate();
    settingUp_ = false;
    if (secondStartWaiting_) RunGuarded(this, [this] { AnswerSecondStart(); });
}

TForm2::~TForm2() {
    StopWatchingViewers();
    if (Application().CloseRequestForm() == this) Application().SetCloseRequestForm(nullptr);
    DestroyComponents();
}

void TForm2::CreateComponents() {
    timeFont_.reset(CreateFontA(-16, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma"));

    // ---- set-up panel ----
    TabControl1 = Make<TTabPanel>(this, idTabControl1, this, 2, 2, 217, 170);
    TabControl1->SetAccessibleName("Réglage du Chronomètre");
    Label1 = Make<TLabel>(this, idLabel1, TabControl1, 8, 8, "Réglage du Chronomètre");
    Label1->SetHint("Temps d'attente avant l'extinction de l'ordinateur...");
    struct {
        TMaskEdit** field;
        TUpDown** arrow;
        int fieldId, arrowId, max;
        const char* hint;
    } columns[] = {
        {&MaskEdit4, &UpDown4, idMaskEdit4, idUpDown4, 32, "Jours"},
        {&MaskEdit1, &UpDown1, idMaskEdit1, idUpDown1, 24, "Heures"},
        {&MaskEdit2, &UpDown2, idMaskEdit2, idUpDown2, 60, "Minutes"},
        {&MaskEdit3, &UpDown3, idMaskEdit3, idUpDown3, 60, "Secondes"},
    };
    int x = 8;
    for (const auto& c : columns) {
        // A hidden label just before the field names it for screen readers.
        (new TLabel(this, TabControl1, x, 26, c.hint))->Hide();
        *c.field = Make<TMaskEdit>(this, c.fieldId, TabControl1, x, 26, 22, 21);
        (*c.field)->SetHint(c.hint);
        *c.arrow = Make<TUpDown>(this, c.arrowId, TabControl1, x + 22, 26, 12, 21, -1, c.max);
        (*c.arrow)->OnArrowClick.Bind(this, &TForm2::UpDownClick);
        (*c.field)->SetArrows(*c.arrow);
        (*c.field)->OnDigit.Bind(this, &TForm2::DialDigit);
        dial_.push_back({*c.arrow, *c.field});
        x += 35;
    }
    MaskEdit4->SetFontColor(0xFF000002);  // the days in the caption colour
    Image8 = Make<TImage>(this, idImage8, TabControl1, 148, 33, 8, 8);
    Image8->SetHint("Chronomètre à zéro");
    Image8->OnMouseUp.Bind(this, &TForm2::Image8MouseUp);
    MyImage1 = Make<TMyImage>(this, idMyImage1, TabControl1, 157, 15, 33, 33);
    MyImage1->OnClick.Bind(this, &TForm2::MyImage1Click);
    MyImage1->OnMouseDown.Bind(this, &TForm2::MyImage1MouseDown);
    MyImage1->OnMouseUp.Bind(this, &TForm2::MyImage1MouseUp);
    MyImage1->OnMouseover.Bind(this, &TForm2::MyImage1MouseOver);
    MyImage1->OnMouseOut.Bind(this, &TForm2::MyImage1MouseOut);

    GroupBox2 = Make<TGroupBox>(this, idGroupBox2, TabControl1, 8, 62, 201, 92);
    GroupBox2->SetCaption("Options ");
    CheckBox1 = Make<TCheckBox>(this, idCheckBox1, GroupBox2, 8, 14, 143, 17, "Afficher le temps restant");
    CheckBox4 = Make<TCheckBox>(this, idCheckBox4, GroupBox2, 8, 30, 143, 17, "Jouer un son avant la fin");
    CheckBox4->OnMouseUp.Bind(this, &TForm2::CheckBox4MouseUp);
    CheckBox3 = Make<TCheckBox>(this, idCheckBox3, GroupBox2, 8, 46, 168, 17, "Mot de passe pour Annuler...");
    CheckBox3->OnMouseUp.Bind(this, &TForm2::CheckBox3MouseUp);
    CheckBox2 = Make<TCheckBox>(this, idCheckBox2, GroupBox2, 8, 62, 185, 17, "Lancer NocTuro au démarrage");
    CheckBox2->OnMouseUp.Bind(this, &TForm2::CheckBox2MouseUp);
    // The alert's box ticked from the keyboard keeps the chosen sound and opens no panel, as it
    // always has; the menu key opens it, as a right click does.
    for (TCheckBox* box : {CheckBox1, CheckBox3, CheckBox2})
        box->OnKeyToggle.Bind(this, &TForm2::CheckBoxKeyToggle);
    CheckBox4->OnMenuKey.Bind(this, &TForm2::CheckBox4MenuKey);
    Image10 = Make<TImage>(this, idImage10, GroupBox2, 152, 32, 16, 17);
    Image10->SetHint("Ecouter le son sélectionné (cliquer à nouveau pour arrêter)");
    Image10->OnClick.Bind(this, &TForm2::Image10Click);
    Image4 = Make<TImage>(this, idImage4, GroupBox2, 176, 30, 16, 16);
    Image4->SetHint("Couleur des chiffres");
    Image4->OnClick.Bind(this, &TForm2::Image4Click);
    Image4->OnMouseDown.Bind(this, &TForm2::Image4MouseDown);
    Shape1 = Make<TShape>(this, idShape1, GroupBox2, 179, 50, 10, 10, stEllipse);
    Shape1->SetBrushColor(clMedGray);
    Shape1->SetAccessibleRole(ROLE_SYSTEM_GRAPHIC);
    Shape1->SetAccessibleName([this] { return "Couleur actuelle : " + ColorToText(Shape1->BrushColor()); });

    // Password entry, over the options.
    Panel1 = Make<TPanel>(this, idPanel1, GroupBox2, 8, 13, 161, 68);
    Label12 = Make<TLabel>(this, idLabel12, Panel1, 4, 8, "Mot de passe pour annuler :");
    Edit1 = Make<TEdit>(this, idEdit1, Panel1, 4, 26, 118, 21);
    Button3 = Make<TButton>(this, idButton3, Panel1, 126, 26, 32, 21, "OK");
    Button3->OnClick.Bind(this, &TForm2::Button3Click);
    Button3->Default = true;
    Panel1->Hide();

    // Alert sound choice, over the options.
    Panel2 = Make<TPanel>(this, idPanel2, GroupBox2, 8, 13, 161, 68);
    Label16 = Make<TLabel>(this, idLabel16, Panel2, 26, 6, "Son à jouer avant la fin");
    Image12 = Make<TImage>(this, idImage12, Panel2, 4, 4, 16, 16);
    Image12->SetHint("Cliquez ici pour choisir un son");
    Label14 = Make<TLabel>(this, idLabel14, Panel2, 47, 24, kSoundPlaceholder);
    Label14->SetFontColor(kGreyText);
    Label18 = Make<TLabel>(this, idLabel18, Panel2, 8, 24, "...");
    Label18->SetFontColor(kGreyText);
    Label18->Hide();
    Image11 = Make<TImage>(this, idImage11, Panel2, 144, 6, 14, 16);
    Image11->SetHint("Ecouter le son sélectionné (cliquer à nouveau pour arrêter)");
    TrackBar1 = Make<TTrackBar>(this, idTrackBar1, Panel2, 1, 43, 88, 19, 5, 59, 14);
    TrackBar1->SetPosition(20);
    TrackBar1->OnChange.Bind(this, &TForm2::TrackBar1Change);
    Label17 = Make<TLabel>(this, idLabel17, Panel2, 89, 46, "20s");
    Button6 = Make<TButton>(this, idButton6, Panel2, 112, 40, 47, 23, "OK");
    Button6->OnClick.Bind(this, &TForm2::Button6Click);
    Button6->Default = true;
    Image12->OnClick.Bind(this, &TForm2::Image12Click);
    Image11->OnClick.Bind(this, &TForm2::Image11Click);
    Panel2->Hide();

    // A clock time to end at, beside the switch.
    Image13 = Make<TImage>(this, idImage13, TabControl1, 194, 24, 16, 16);
    Image13->SetCaption("À heure fixe...");
    Image13->SetHint("Cliquez ici pour régler le Chrono\r\njusqu'à une heure fixe (HH:MM)...");
    Image13->OnClick.Bind(this, &TForm2::Image13Click);
    // What happens at zero, below it; the menu key on the switch offers the same menu.
    Image14 = Make<TImage>(this, idImage14, TabControl1, 194, 42, 16, 16);
    Image14->OnClick.Bind(this, &TForm2::Image14Click);
    MyImage1->OnMenuKey.Bind(this, &TForm2::EndActionMenuKey);

    // ---- countdown panel, at the same place ----
    TabControl2 = Make<TTabPanel>(this, idTabControl2, this, 2, 2, 217, 170);
    TabControl2->SetAccessibleName("Compte à rebours");
    Image5 = Make<TImage>(this, idImage5, TabControl2, 10, 12, 32, 32);
    Image6 = Make<TImage>(this, idImage6, TabControl2, 10, 12, 32, 32);
    Image6->Hide();
    struct TimePiece {
        TLabel** value;
        TLabel** unit;
        int valueId, unitId;
        const char* unitText;
    } pieces[] = {
        {&Label2, &LabelDays, idLabel2, idLabelDays, "j"},
        {&Label7, &LabelHours, idLabel7, idLabelHours, "h"},
        {&Label9, &LabelMinutes, idLabel9, idLabelMinutes, "m"},
        {&Label4, &LabelSeconds, idLabel4, idLabelSeconds, "s"},
    };
    x = 50;
    for (const TimePiece& p : pieces) {
        *p.value = Make<TLabel>(this, p.valueId, TabControl2, x, 18, "00");
        (*p.value)->SetFont(timeFont_.get());
        *p.unit = Make<TLabel>(this, p.unitId, TabControl2, x + (*p.value)->Width() + 1, 22, p.unitText);
        x += 40;
    }
    Label19 = Make<TLabel>(this, idLabel19, TabControl2, 12, 62, InfoOf(EndAction::Shutdown).warning);
    Label20 = Make<TLabel>(this, idLabel20, TabControl2, 12, 80, "Veuillez enregistrer votre travail.");
    Label15 = Make<TLabel>(this, idLabel15, TabControl2, 12, 62, "Ooops, mot de passe faux !");
    Label15->SetFontColor(kRedText);
    Label15->Hide();
    // Just before the field, which it names for screen readers.
    Label13 = Make<TLabel>(this, idLabel13, TabControl2, 12, 62, "Mot de passe pour annuler :");
    Label13->Hide();
    Edit2 = Make<TEdit>(this, idEdit2, TabControl2, 12, 80, 140, 21);
    Edit2->SetPasswordChar('*');
    Edit2->SetHint("Tapez ici le mot de passe");
    Edit2->Hide();
    Button4 = Make<TButton>(this, idButton4, TabControl2, 156, 80, 40, 21, "OK");
    Button4->Default = true;
    Button4->Hide();
    Label11 = Make<TLabel>(this, idLabel11, TabControl2, 12, 146, "NocTuro ©");
    Label11->SetEnabled(false);
    TabControl2->Hide();

    // ---- bottom row ----
    Image7 = Make<TImage>(this, idImage7, this, 6, 182, 7, 13);
    Image7->SetHint("Cliquez ici pour lire les instructions");
    Label3 = Make<TLabel>(this, idLabel3, this, 13, 182, "nformations");
    Label3->SetHint("Cliquez ici pour lire les instructions");
    // The image draws the first letter.
    Label3->SetAccessibleName("Informations");
    Label3->SetAccessibleRole(ROLE_SYSTEM_STATICTEXT);
    SpeedButton1 = Make<TSpeedButton>(this, idSpeedButton1, this, 4, 177, 80, 21, "Réduire", true);
    SpeedButton1->SetHint("Réduire dans la zone de notification");
    // Between "Réduire" and "Annuler", as far from each as they are from the window's edges.
    SpeedButton4 = Make<TSpeedButton>(this, idSpeedButton4, this, 88, 177, 54, 21, "+10 min");
    SpeedButton4->SetHint("Reporter l'extinction de 10 minutes\r\n(clic droit : choisir la durée)");
    SpeedButton4->Hide();
    SpeedButton1->Cancel = true;
    SpeedButton1->Hide();
    SpeedButton3 = Make<TSpeedButton>(this, idSpeedButton3, this, 146, 177, 71, 21, "Quitter");
    SpeedButton2 = Make<TSpeedButton>(this, idSpeedButton2, this, 146, 177, 71, 21, "Annuler");
    SpeedButton2->Hide();

    // ---- hidden picture holders, below the visible area ----
    Image1 = Make<TImage>(this, idImage1, this, 0, 210, 32, 32);
    Image2 = Make<TImage>(this, idImage2, this, 40, 210, 32, 32);
    Image3 = Make<TImage>(this, idImage3, this, 80, 210, 32, 32);
    Image9 = Make<TImage>(this, idImage9, this, 120, 210, 16, 16);
    for (TImage* holder : {Image1, Image2, Image3, Image9}) holder->Hide();

    // ---- non-visual components ----
    Chronos1 = new TThreadedTimer(this);
    Chronos1->Name = "Chronos1";
    Chronos1->SetEnabled(false);
    Chronos1->SetThreadPriority(tpHigher);
    TNotifyEvent tick;
    tick.Bind(this, &TForm2::Chronos1Timer);
    Chronos1->SetOnTimer(tick);
    MediaPlayer1 = new TMediaPlayer(this);
    MediaPlayer1->Name = "MediaPlayer1";
    CreateTrayComponents();

    SpeedButton1->OnClick.Bind(this, &TForm2::SpeedButton1Click);
    SpeedButton2->OnClick.Bind(this, &TForm2::SpeedButton2Click);
    SpeedButton3->OnClick.Bind(this, &TForm2::SpeedButton3Click);
    SpeedButton4->OnClick.Bind(this, &TForm2::SpeedButton4Click);
    SpeedButton4->OnMouseUp.Bind(this, &TForm2::SpeedButton4MouseUp);
    SpeedButton4->OnMenuKey.Bind(this, &TForm2::SpeedButton4MenuKey);
    Button4->OnClick.Bind(this, &TForm2::Button4Click);
    Image7->OnClick.Bind(this, &TForm2::Image7Click);
    OnCloseQuery.Bind(this, &TForm2::FormCloseQuery);
    OnClose.Bind(this, &TForm2::FormClose);

    // What lies over something else stays above it, shown or hidden: the countdown panel over the
    // set-up panel, the option panels over the options, "Réduire" over the information link,
    // "Annuler" over "Quitter", "..." over the start of a long sound path. Tab goes through the
    // panel in front, then along the bottom row.
    StackInOrder({TabControl2, TabControl1, SpeedButton1, SpeedButton4, Image7, Label3, SpeedButton2, SpeedButton3});
    StackInOrder({Panel2, Panel1});
    // The clock beside the switch comes after it for Tab, in reading order.
    SetWindowPos(Image13->Handle(), MyImage1->Handle(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(Image14->Handle(), Image13->Handle(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Label18->BringToFront();

    // The clickable images answer the keyboard too.
    for (TControl* c : std::initializer_list<TControl*>{Image8, MyImage1, Image13, Image10, Image4, Image12, Image11, Image7})
        c->SetKeyboardClicks(true);
    // A button for screen readers, but no Tab stop of its own: the down arrow reaches it from the
    // clock above it, and the menu key on the switch opens its menu.
    Image14->SetKeyboardClicks(true);
    Image14->SetTabStop(false);
    Image13->SetArrowNeighbour(Image14);

    // ---- design-time pictures ----
    Image1->SetPicture(TPicture::FromResource("SWITCH_NORMAL"));
    Image2->SetPicture(TPicture::FromResource("SWITCH_HOVER"));
    Image3->SetPicture(TPicture::FromResource("SWITCH_PRESSED"));
    Image9->SetPicture(TPicture::FromResource("LISTEN_PLAIN"));
    Image10->SetPicture(TPicture::FromResource("LISTEN_ALPHA"));
    Image12->SetPicture(TPicture::FromResource("FOLDER"));
    Image4->SetPicture(TPicture::FromResource("PALETTE"));
    Image8->SetPicture(TPicture::FromResource("RESET"));
    Image13->SetPicture(TPicture::FromResource("SMALL_CLOCK"));
    Image14->SetPicture(TPicture::FromIcon("MAINICON", 16));
    Image7->SetPicture(TPicture::FromResource("INFO_LETTER"));
    Image5->SetPicture(TPicture::FromResource("CLOCK_ALPHA"));
    Image6->SetPicture(TPicture::FromResource("CLOCK_PLAIN"));
}

void TForm2::CreateTrayComponents() {
    // The animation frames: the power button pulses on Windows XP, a monitor blinks elsewhere.
    ImageList1 = new TImageList(this);
    ImageList1->Name = "ImageList1";
    ImageList2 = new TImageList(this);
    ImageList2->Name = "ImageList2";
    ImageList1->SharePictures = ImageList2->SharePictures = true;  // the animation repeats pictures
    for (int i = 0; i < 10; ++i) {
        ImageList1->AddIconResource(("TRAYXP" + std::to_string(i)).c_str());
        ImageList2->AddIconResource(("TRAYSTD" + std::to_string(i)).c_str());
    }

    NotifyIcon1 = new TNotifyIcon(this);
    NotifyIcon1->Name = "NotifyIcon1";
    NotifyIcon1->Icon().Assign(TIconImage::FromResource("MAINICON"));
    NotifyIcon1->SetIconList(ImageList1);
    NotifyIcon1->SetCycleInterval(100);
    NotifyIcon1->SetIconIndex(0);
    NotifyIcon1->OnClick.Bind(this, &TForm2::NotifyIcon1Click);
    NotifyIcon1->OnMouseMove.Bind(this, &TForm2::NotifyIcon1MouseMove);
    NotifyIcon1->OnBalloonHintClick.Bind(this, &TForm2::NotifyIcon1BalloonClick);
    NotifyIcon1->OnMouseUp.Bind(this, &TForm2::TrayIconMouseUp);

    TFont digits;
    digits.SetName("MS Sans Serif");
    digits.SetHeight(kDigitsHeight);
    digits.SetColor(clWindowText);
    const IconImagePtr transparent = TIconImage::FromResource("TRANSPARENT16");
    for (const TimeIconDesign& t : kTimeIcons) {
        auto* icon = new TTextTrayIcon(this);
        this->*t.icon = icon;
        icon->Name = t.name;
        icon->SetHint(t.hint);
        icon->LoadBackgroundIcon(transparent);
        icon->SetFont(digits);
        icon->Options().SetOffsetX(t.offsetX);
        icon->SetText("--");
        // The time is where users click first: there too, a click brings the window back.
        icon->OnClick.Bind(this, &TForm2::NotifyIcon1Click);
        icon->OnMouseUp.Bind(this, &TForm2::TrayIconMouseUp);
    }

    FitTrayIcons();
    for (TNotifyIcon* icon :
         std::initializer_list<TNotifyIcon*>{NotifyIcon1, TextTrayIcon1, TextTrayIcon2, TextTrayIcon3, TextTrayIcon4})
        icon->Loaded();
}

void TForm2::FitTrayIcons() {
    const int size = TrayIconSizeFor(Seam().SmallIconSize());
    if (size == trayIconSize_) return;
    trayIconSize_ = size;
    ImageList1->SetSize(size, size);
    ImageList2->SetSize(size, size);
    NotifyIcon1->SetIconIndex(NotifyIcon1->IconIndex());  // the frame shown, at the new size
    // The digits keep their look: font, offsets and see-through background scaled from 16 pixels.
    const IconImagePtr transparent = TIconImage::FromResource("TRANSPARENT16", size);
    for (const TimeIconDesign& t : kTimeIcons) {
        TTextTrayIcon* icon = this->*t.icon;
        icon->LoadBackgroundIcon(transparent);
        icon->Font().SetHeight(ScaleToTrayIcon(kDigitsHeight, size));
        icon->Options().SetOffsetX(ScaleToTrayIcon(t.offsetX, size));
        icon->SetIconSize(size);
    }
}

// ---- set-up -------------------------------------------------------------------------------------

void TForm2::FormCreate(TObject*) {
    // 1. The switch at rest.
    MyImage1->SetPicture(Image1->Picture());

    // 2. The program's hand cursor on every clickable image.
    Screen().SetCursor(kHandCursor, LoadCursorA(GetModuleHandleA(nullptr), "CURSOR"));
    for (TControl* c : std::initializer_list<TControl*>{MyImage1, Image7, Image8, Image4, Image10, Image11, Image12,
                                                        Image13, Image14})
        c->SetCursor(kHandCursor);

    // 3. Hints.
    MyImage1->SetHint("Cliquez ici pour activer l'extinction\r\ndifférée de votre ordinateur...");
    CheckBox1->SetHint("En cochant cette case un Chrono sera\r\naffiché dans la zone de notification");
    UpDown4->SetHint("Cliquez ici pour augmenter ou diminuer\r\nle nombre de jours d'attente");
    UpDown3->SetHint("Cliquez ici pour augmenter ou diminuer\r\nle nombre de secondes d'attente");
    UpDown2->SetHint("Cliquez ici pour augmenter ou diminuer\r\nle nombre de minutes d'attente");
    UpDown1->SetHint("Cliquez ici pour augmenter ou diminuer\r\nle nombre d'heures d'attente");
    Edit1->SetHint("Tapez ici le mot de passe qui permettra\r\nd'annuler l'extinction de l'ordinateur");
    CheckBox3->SetHint(
        "En cochant cette case l'extinction de l'ordinateur\r\nne pourra être annulée que par un mot de passe");
    CheckBox2->SetHint(
        "En cochant cette case vous autorisez Windows\r\nà activer l'extinction automatique de l'ordinateur");

    // 4. The stored settings, checked against their integrity text.
    LoadSettings();

    // 5. The command line overrides them for this run. A twelfth parameter, a clock time, stands for
    // the four time positions; one that is no time refuses the whole command line.
    const EndTimeParameter endTime = ReadEndTime(params_);
    const EndActionParameter action = ReadEndActionParameter(params_);
    if (endTime.given && !endTime.valid) {
        RefuseCommandLine(BadEndTimeParameterText(endTime.text));
    } else if (action.given && !action.valid) {
        RefuseCommandLine(BadActionParameterText(action.text));
    } else {
        if (action.valid) SetEndAction(action.action);
        for (const std::string& failure : ApplyCommandLine(params_, Held)) ReportConversionFailure(failure);
        if (!ParamStr(params_, 11).empty() && ParamStr(params_, 11) != "*") TrackBar1->SetPosition(Held.Delai);
        if (endTime.valid) HoldTimeUntil(endTime.time);
        // A stored clock time aims again at its next showing, unless the command line gives a time.
        bool timeGiven = endTime.valid;
        for (int i = 2; i <= 5; ++i) timeGiven |= !ParamStr(params_, i).empty() && ParamStr(params_, i) != "*";
        ClockTime stored;
        if (!timeGiven && ParseClockTime(storedTarget_, stored)) HoldTimeUntil(stored);
    }
    ApplyPolicy();

    // 6. The sound file shown.
    if (FileExists(Held.Son))
        Label14->SetCaption(Held.Son);
    else if (FileExists(ProgramFolder() + "Alerte.mp3"))
        Label14->SetCaption(ProgramFolder() + "Alerte.mp3");

    // 7. The dial.
    struct {
        TUpDown* arrow;
        TMaskEdit* field;
        int32_t value;
    } dial[] = {{UpDown4, MaskEdit4, Held.Jours},
                {UpDown1, MaskEdit1, Held.Heures},
                {UpDown2, MaskEdit2, Held.Minutes},
                {UpDown3, MaskEdit3, Held.Secondes}};
    for (auto& d : dial) PutOnDial(d.arrow, d.field, d.value, DialOrder::ArrowFirst);

    // 8. Check boxes and the password.
    if (IsYes(Held.Chrono)) CheckBox1->SetChecked(true);
    if (IsYes(Held.MdPasseOK)) CheckBox3->SetChecked(true);
    if (IsYes(Held.Demarrage)) CheckBox2->SetChecked(true);
    if (IsYes(Held.Alerte)) CheckBox4->SetChecked(true);
    Edit1->SetText(Held.MdPasse);

    // 9. The digit colour: medium grey on the swatch stands for the default digits, black (white
    // on a dark taskbar).
    TColor swatch = clMedGray;
    if (!TryTextToColor(Held.Couleur, swatch)) swatch = clMedGray;
    Shape1->SetBrushColor(swatch);
    defaultDigits_ = swatch == clMedGray;
    digitColor_ = StartDigitColor(swatch, TaskbarIsDark());
    SetDigitFontColour(digitColor_);

    // 10. Pictures without alpha channel outside Windows XP.
    if (DetectXP() != "XP") {
        Image10->SetPicture(Image9->Picture());
        Image5->SetPicture(Image6->Picture());
    }
    Image11->SetPicture(Image10->Picture());

    // 11-12. After a number that did not convert, no countdown starts by itself and the empty main
    // form shows too, as when the set-up stopped there; the window still holds every other setting.
    if (!setupFailed_) {
        // 11. Automatic start; none after a refused command line.
        if (!commandLineRefused_ && (IsYes(Held.Demarrage) || IsYes(StartedWithParameters))) StartCountdown();

        // 12. Neither the empty main form nor the application window shows on the taskbar.
        Application().ShowMainForm = false;
        SetWindowLongPtrA(Application().Handle(), GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    }

    // 13. Alert slider texts.
    TrackBar1Change(TrackBar1);

    // 14. Path layout.
    FitSoundPathLabel();
}

void TForm2::LoadSettings() {
    // Before the first read: the machine's key, or the user's for a user without rights on it.
    ChooseSettingsPlace();
    for (Setting s : kReadOrder) {
        const SettingInfo& row = Info(s);
        if (row.heldNumber)
            Held.*row.heldNumber = StoredNumber(s);
        else
            Held.*row.heldText = ReadSetting(s);
    }
    TrackBar1->SetPosition(Held.Delai);  // "Delai" is read last
    storedAtStart_ = TextsOf(Held);
    policy_ = ReadPolicy();
    storedTarget_ = ReadSetting(kTargetSettingName);
    storedAction_ = ReadSetting(kActionSettingName);
    EndAction stored = EndAction::Shutdown;
    SetEndAction(EndActionNamed(storedAction_, stored) ? stored : EndAction::Shutdown);

    // The check compares the values as stored: one that did not convert has none to compare.
    if (setupFailed_) return;
    const std::string expected = TextsOf(Held).MatchingProtection();
    if (expected != Held.Protection)
        ShowWarning(
            "Ooops ! La configuration de NocTuro semble avoir été modifiée\r\nmanuellement ! "
            "Veuillez vérifier ses paramètres...");
}

int32_t TForm2::StoredNumber(Setting setting) {
    const std::string text = ReadSetting(setting);
    int32_t value = StrToInt(Info(setting).design);
    try {
        value = StrToInt(text);
    } catch (const EConvertError& e) {
        ReportConversionFailure(e.what());
    }
    return value;
}

void TForm2::ReportConversionFailure(const std::string& message) {
    setupFailed_ = true;
    Application().ShowException(message);
}

void TForm2::SaveSettings() {
    SettingTexts shown;
    shown[Setting::Couleur] = ColorToText(Shape1->BrushColor());
    shown[Setting::Jours] = IntToStr(UpDown4->Position());
    shown[Setting::Heures] = IntToStr(UpDown1->Position());
    shown[Setting::Minutes] = IntToStr(UpDown2->Position());
    shown[Setting::Secondes] = IntToStr(UpDown3->Position());
    shown[Setting::Son] = Label14->Caption();
    shown[Setting::Delai] = IntToStr(TrackBar1->Position());
    shown[Setting::Chrono] = YesNo(CheckBox1->Checked());
    shown[Setting::MdPasseOK] = YesNo(CheckBox3->Checked());
    shown[Setting::MdPasse] = Edit1->Text();
    shown[Setting::Demarrage] = YesNo(CheckBox2->Checked());
    shown[Setting::Alerte] = YesNo(CheckBox4->Checked());
    // What the policy sets stays the user's own underneath.
    for (Setting s : kReadOrder)
        if (policy_.Sets(s)) shown[s] = storedAtStart_[s];
    shown[Setting::Protection] = shown.MatchingProtection();
    // Each by its own call: a value that cannot be written is told, and the others still follow.
    for (Setting s : kWriteOrder) WriteSetting(s, shown[s]);
    // The policy's clock time, like its other values, leaves the user's own stored underneath.
    const std::string target = !policy_.target.empty() ? storedTarget_
                               : Model.HasTarget()       ? ClockTimeText(Model.Target())
                                                         : "";
    if (target != storedTarget_) WriteSetting(kTargetSettingName, target);
    storedTarget_ = target;
    // The action likewise; one never chosen is never written.
    EndAction stored = EndAction::Shutdown;
    const bool same = EndActionNamed(storedAction_, stored) ? stored == action_ : action_ == EndAction::Shutdown;
    if (policy_.action.empty() && !same) {
        storedAction_ = InfoOf(action_).shortName;
        WriteSetting(kActionSettingName, storedAction_);
    }
}

void TForm2::ApplyPolicy() {
    policy_.ApplyTo(Held);
    EndAction imposed = EndAction::Shutdown;
    if (EndActionNamed(policy_.action, imposed))
        SetEndAction(imposed);
    else
        policy_.action.clear();
    ClockTime target;
    // A text that is no clock time is left to the user, as a number that does not convert.
    const bool aims = ParseClockTime(policy_.target, target);
    if (aims)
        HoldTimeUntil(target);
    else
        policy_.target.clear();
    if (policy_.Sets(Setting::Delai)) TrackBar1->SetPosition(Held.Delai);
    // Each value's controls, and the countdown's own for the ban on stopping it.
    const std::pair<bool, std::vector<TControl*>> locks[] = {
        {policy_.Sets(Setting::Couleur), {Image4}},
        {policy_.Sets(Setting::Jours), {UpDown4, MaskEdit4, Image8, Image13}},
        {policy_.Sets(Setting::Heures), {UpDown1, MaskEdit1, Image8, Image13}},
        {policy_.Sets(Setting::Minutes), {UpDown2, MaskEdit2, Image8, Image13}},
        {policy_.Sets(Setting::Secondes), {UpDown3, MaskEdit3, Image8, Image13}},
        {aims, {UpDown1, MaskEdit1, UpDown2, MaskEdit2, UpDown3, MaskEdit3, UpDown4, MaskEdit4, Image8, Image13}},
        {policy_.Sets(Setting::Chrono), {CheckBox1}},
        {policy_.Sets(Setting::Demarrage), {CheckBox2}},
        {policy_.Sets(Setting::Alerte), {CheckBox4}},
        {policy_.Sets(Setting::Son), {Image12}},
        {policy_.Sets(Setting::Delai), {TrackBar1}},
        {policy_.noCancel, {SpeedButton2, SpeedButton4}},
        {!policy_.action.empty(), {Image14}},
    };
    for (const auto& [locked, controls] : locks) {
        if (!locked) continue;
        for (TControl* c : controls) {
            c->SetEnabled(false);
            c->SetHint("Réglé par votre administrateur");
        }
    }
}

std::string TForm2::StartWithWindowsRecord() {
    return policy_.Sets(Setting::Demarrage) ? policy_.texts[Setting::Demarrage] : ReadSetting("Demarrage");
}

void TForm2::TrackBar1Change(TObject*) {
    TrackBar1->SetHint(LeadTimeHint(TrackBar1->Position()));
    Label17->SetCaption(LeadTimeLabel(TrackBar1->Position()));
}

void TForm2::FitSoundPathLabel() {
    const PathLayout layout = FitSoundPath(Label14->Width());
    if (layout.whole) {
        Label18->Hide();
        Label14->SetWordWrap(true);
        Label14->SetAlignment(taLeftJustify);
        Label14->SetLeft(layout.left);
    } else {
        // Only the end of the path, with the file name, stays visible: on one line, as the static
        // would break the path at its blanks and show its start.
        Label14->SetAutoSize(false);
        Label14->SetBounds(layout.left, Label14->Top(), layout.width, Label14->Height());
        Label14->SetWordWrap(false);
        Label14->SetAlignment(taRightJustify);
        Label18->Show();
    }
}

// ---- the program's start, after the window's creation --------------------------------------------

void TForm2::AfterCreation() {
    Held.Demarrage = StartWithWindowsRecord();
    if (IsYes(Held.Demarrage) || IsYes(StartedWithParameters)) {
        // No countdown started for a number that did not convert: the window shows what it holds,
        // with that value repaired, so that it can be put right, started, or closed. Nor for a
        // refused command line: the window shows the stored settings.
        if (setupFailed_ || commandLineRefused_) Show();
        return;
    }
    Show();
    // From the Run keys of the settings' place. Nothing is reported from here: a missing key or
    // value is simply no entry to remove.
    RemoveStartupEntry();
}

// ---- messages from outside -------------------------------------------------------------------------

LRESULT TForm2::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != 0 && msg == SecondStartMessage()) {
        RunGuarded(this, [this] { AnswerSecondStart(); });
        return 0;
    }
    if (msg == WM_POWERBROADCAST && (wp == PBT_APMRESUMEAUTOMATIC || wp == PBT_APMRESUMESUSPEND))
        RunGuarded(this, [this] { MoveEnd(true); });
    if (msg == WM_TIMECHANGE) RunGuarded(this, [this] { MoveEnd(false); });
    if (msg == WM_SETTINGCHANGE && lp && lstrcmpA(reinterpret_cast<const char*>(lp), "ImmersiveColorSet") == 0)
        RunGuarded(this, [this] { TaskbarThemeChanged(); });
    if (msg == WM_WTSSESSION_CHANGE && (wp == WTS_SESSION_LOCK || wp == WTS_SESSION_UNLOCK))
        RunGuarded(this, [&] { SetUnseen(wp == WTS_SESSION_LOCK, displayOff_); });
    if (msg == WM_POWERBROADCAST && wp == PBT_POWERSETTINGCHANGE && lp)
        if (const std::optional<bool> off = DisplayOffIn(*reinterpret_cast<const POWERBROADCAST_SETTING*>(lp)))
            RunGuarded(this, [&] { SetUnseen(sessionLocked_, *off); });
    // A new scale shows in the small-icon size, after any of these.
    if (msg == WM_SETTINGCHANGE || msg == WM_DISPLAYCHANGE || msg == WM_DPICHANGED)
        RunGuarded(this, [this] { FitTrayIcons(); });
    return TForm::WndProc(msg, wp, lp);
}

TControl* TForm2::FocusTarget() {
    if (!TabControl2->Visible()) return TForm::FocusTarget();
    if (Edit2->Visible()) return Edit2;
    return SpeedButton4->Enabled() ? SpeedButton4 : SpeedButton2;
}

// ---- a second start -------------------------------------------------------------------------------

void TForm2::AnswerSecondStart() {
    secondStartWaiting_ = settingUp_;
    if (settingUp_) return;
    // A program on its way out (the countdown's end) shows nothing any more.
    if (closingAtZero_ || Application().Terminated()) return;
    if (Chronos1->Enabled()) {
        NotifyIcon1Click(NotifyIcon1);
    } else {
        // Outside a countdown the set-up panel is the one in front.
        Show();
    }
    // The new copy handed the front over: the window takes it, or its box when one is up.
    const HWND box = ShownOwnedDialog(Handle());
    SetForegroundWindow(box ? box : Handle());
}

}  // namespace noc
