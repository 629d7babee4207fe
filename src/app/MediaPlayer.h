#pragma once
// The alert sound: an invisible player that drives a device of the Media Control Interface. It
// shows nothing and opens nothing by itself; the program opens a file, plays it and closes it.
#include <windows.h>
#include <mmsystem.h>

#include <stdexcept>
#include <string>

#include "framework/Component.h"
#include "framework/HiddenWindow.h"

namespace noc {

// A command that the media system refused, with the media system's own text.
class EMCIDeviceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TMediaPlayer : public TComponent {
public:
    // Creates the player's hidden window, which receives the media system's notices.
    explicit TMediaPlayer(TComponent* owner);
    // Closes a device still open.
    ~TMediaPlayer() override;

    std::string FileName;
    bool AutoOpen = false;

    // Opens FileName on the device that the media system picks from the file's name; a device
    // already open is closed first. Throws EMCIDeviceError with the media system's text on failure.
    void Open();
    // Starts playing from the current position and returns at once; the completion notice goes
    // to Handle(). Throws EMCIDeviceError when no device is open.
    void Play();
    // Stops playing; does nothing when no device is open.
    void Stop();
    // Closes the device, if one is open.
    void Close();

    bool IsOpen() const { return deviceId_ != 0; }
    MCIDEVICEID DeviceId() const { return deviceId_; }
    // The result of the last command sent to the media system (0: success).
    DWORD Error() const { return error_; }
    // The window named as the callback of every command.
    HWND Handle() const { return window_.Handle(); }

private:
    void CheckOpen() const;
    static std::string ErrorText(DWORD code);

    THiddenWindow window_;
    MCIDEVICEID deviceId_ = 0;
    DWORD error_ = 0;
};

}  // namespace noc
