// The setup program on 32-bit Windows: it installs the 32-bit build, which starts, shows its
// window and finds the installed sound. scripts/dist-test.sh then runs a countdown to the
// shutdown request with it.
#include "DistCommon.h"

using namespace dist;

TEST_CASE("on 32-bit Windows the setup installs the 32-bit build, which starts and finds its sound") {
    REQUIRE(RunSetup() == 0);
    CHECK(MachineOf(InstalledExe()) == IMAGE_FILE_MACHINE_I386);
    CHECK(ValueCount(kSettingsKey) == 13);
    CHECK(ReadSetting("Protection") == ProtectionOf(Stored{}));

    StartInstalledAndQuit();
}
