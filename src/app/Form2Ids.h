#pragma once
// Dialog identifiers of the main window's controls. Accessibility tools and our end-to-end driver
// find the controls by them.

namespace noc {

enum Form2Id : int {
    idTabControl1 = 100, idLabel1, idMaskEdit4, idUpDown4, idMaskEdit1, idUpDown1, idMaskEdit2, idUpDown2,
    idMaskEdit3, idUpDown3, idImage8, idMyImage1, idGroupBox2, idCheckBox1, idCheckBox4, idCheckBox3, idCheckBox2,
    idShape1, idImage4, idImage10,
    idPanel1 = 130, idLabel12, idEdit1, idButton3,
    idPanel2 = 140, idLabel16, idImage12, idLabel14, idLabel18, idImage11, idTrackBar1, idLabel17, idButton6,
    idTabControl2 = 160, idLabel2, idLabelDays, idLabel7, idLabelHours, idLabel9, idLabelMinutes, idLabel4,
    idLabelSeconds, idLabel11, idImage5, idImage6, idLabel13, idEdit2, idButton4, idLabel15, idLabel19, idLabel20,
    idImage7 = 190, idLabel3, idSpeedButton1, idSpeedButton3, idSpeedButton2,
    idImage1 = 200, idImage2, idImage3, idImage9,
};

}  // namespace noc
