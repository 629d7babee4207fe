#include "app/MediaPlayer.h"

#include <vector>

namespace noc {

namespace {
const char kPlayerWindowClass[] = "NocMediaPlayerWindow";
}

// A message-only window receives the notices of the commands. The completion notice
// (MM_MCINOTIFY) needs no answer: whoever plays the sound keeps its own account of whether it plays.
TMediaPlayer::TMediaPlayer(TComponent* owner)
    : TComponent(owner),
      window_(kPlayerWindowClass, THiddenWindow::MessageOnly, [](UINT msg, WPARAM, LPARAM, LRESULT& result) {
          result = 0;
          return msg == MM_MCINOTIFY;
      }) {}

TMediaPlayer::~TMediaPlayer() { Close(); }

std::string TMediaPlayer::ErrorText(DWORD code) {
    std::vector<char> buf(4096, '\0');
    if (!mciGetErrorStringA(code, buf.data(), static_cast<UINT>(buf.size())) || buf[0] == '\0')
        return "Unknown error code";
    return std::string(buf.data());
}

void TMediaPlayer::CheckOpen() const {
    if (!IsOpen()) throw EMCIDeviceError("Media player is not open");
}

void TMediaPlayer::Open() {
    Close();
    MCI_OPEN_PARMSA parms{};
    parms.dwCallback = reinterpret_cast<DWORD_PTR>(Handle());
    parms.lpstrElementName = FileName.c_str();
    // No device type: the media system chooses the device from the file's name.
    error_ = mciSendCommandA(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_ELEMENT, reinterpret_cast<DWORD_PTR>(&parms));
    if (error_ != 0) throw EMCIDeviceError(ErrorText(error_));
    deviceId_ = parms.wDeviceID;
}

void TMediaPlayer::Play() {
    CheckOpen();
    MCI_PLAY_PARMS parms{};
    parms.dwCallback = reinterpret_cast<DWORD_PTR>(Handle());
    // Returns at once; how the playing ends arrives later as a notice.
    error_ = mciSendCommandA(deviceId_, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&parms));
}

void TMediaPlayer::Stop() {
    // Nothing open, nothing playing: a stop then has nothing to do, and must not fail a close.
    if (!IsOpen()) return;
    MCI_GENERIC_PARMS parms{};
    parms.dwCallback = reinterpret_cast<DWORD_PTR>(Handle());
    error_ = mciSendCommandA(deviceId_, MCI_STOP, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parms));
}

void TMediaPlayer::Close() {
    if (!IsOpen()) return;
    MCI_GENERIC_PARMS parms{};
    parms.dwCallback = reinterpret_cast<DWORD_PTR>(Handle());
    error_ = mciSendCommandA(deviceId_, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parms));
    deviceId_ = 0;
}

}  // namespace noc
