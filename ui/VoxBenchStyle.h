#pragma once

#include <QLatin1String>
#include <QString>

// The style sheets of the main window's widgets: navy rgb(10, 6, 30), violet
// rgb(108, 0, 255) and white text, with picture buttons and backgrounds.
namespace VoxBenchStyle {

// The keyboard focus frame (FocusMark): amber, apart from the violet of a
// chosen mode and the white of text, and bright on the navy.
inline constexpr unsigned focusMarkRgb = 0xffc83d;
inline constexpr int focusMarkWidth = 2;

inline constexpr const char *tab = "QTabWidget::pane {\n"
                                   "    background-color: rgb(10, 6, 30);\n"
                                   "    border: 1px solid rgb(108, 0, 255);\n"
                                   "    border-top:-1px;\n"
                                   "}\n"
                                   "QTabBar::tab-bar {\n"
                                   "}\n"
                                   "QTabBar::tab {\n"
                                   "    width: 361px;\n"
                                   "    height:60px;\n"
                                   "    font:20px;\n"
                                   "    text-align:left center;\n"
                                   "    color:rgb(255, 255, 255);\n"
                                   "    background-color: rgb(10, 6, 30);\n"
                                   "    border: 1px solid rgb(108, 0, 255);\n"
                                   "}\n"
                                   "QTabBar::tab:first {\n"
                                   "    margin-right:-1px;\n"
                                   "}\n"
                                   "QTabBar::tab:last {\n"
                                   "    margin-left: -1px;\n"
                                   "}\n"
                                   "QTabBar::tab:!selected {\n"
                                   "    border: 1px solid rgb(120, 120, 120);\n"
                                   "    border-bottom: 1px solid rgb(108, 0, 255);\n"
                                   "}\n"
                                   "QTabBar::tab:selected {\n"
                                   "    color: rgb(108, 0, 255);\n"
                                   "    border: 1px solid rgb(108, 0, 255);\n"
                                   "    border-bottom: 1px solid rgb(10, 6, 30);\n"
                                   "}";

// The double colon before "checked" is how these selectors have always been
// written; Qt accepts it as the pseudo-state.
inline constexpr const char *modeRadio = "QRadioButton {\n"
                                         "    font:18px;\n"
                                         "    color:rgb(255, 255, 255);\n"
                                         "}\n"
                                         "QRadioButton::checked {\n"
                                         "    color:rgb(108, 0, 255);\n"
                                         "}\n"
                                         "QRadioButton::indicator {\n"
                                         "    width: 20px;\n"
                                         "    height: 20px;\n"
                                         "    color:rgb(255, 255, 255);\n"
                                         "}\n"
                                         "QRadioButton::indicator::checked {\n"
                                         "    image: url(:/controls/pic/control/radiobutton.png);\n"
                                         "}";

inline constexpr const char *addButton = "QPushButton {\n"
                                         "    border-image: url(:/controls/pic/control/Add.png);\n"
                                         "    color:rgb(255, 255, 255);\n"
                                         "    border:2px solid rgb(255, 255, 255);\n"
                                         "}\n"
                                         "QPushButton:hover {\n"
                                         "    color:rgb(255, 255, 255);\n"
                                         "    border:2px solid rgb(108, 0, 255);\n"
                                         "}\n"
                                         "QPushButton:pressed {\n"
                                         "    color:rgb(255, 255, 255);\n"
                                         "    border:2px solid rgb(30, 3, 77);\n"
                                         "}";

inline constexpr const char *clearButton = "QPushButton {\n"
                                           "    border-image: url(:/controls/pic/control/Clear.png);\n"
                                           "    color:rgb(255, 255, 255);\n"
                                           "}\n"
                                           "QPushButton:hover {\n"
                                           "    color:rgb(255, 255, 255);\n"
                                           "}\n"
                                           "QPushButton:pressed {\n"
                                           "    color:rgb(255, 255, 255);\n"
                                           "}";

inline constexpr const char *modeStrip =
    "QGroupBox {\n"
    "    border:0px solid;\n"
    "    border-image: url(:/controls/pic/control/group_BackGround.png);\n"
    "}";

inline constexpr const char *textButton = "QPushButton {\n"
                                          "    color:rgb(255, 255, 255);\n"
                                          "    border:1px solid rgb(255, 255, 255);\n"
                                          "}\n"
                                          "QPushButton:hover {\n"
                                          "    color:rgb(255, 255, 255);\n"
                                          "    border:1px solid rgb(108, 0, 255);\n"
                                          "}\n"
                                          "QPushButton:pressed {\n"
                                          "    color:rgb(255, 255, 255);\n"
                                          "    border:1px solid rgb(83, 0, 200);\n"
                                          "}";

inline constexpr const char *playButton = "QPushButton {\n"
                                          "    border-radius: 10px;\n"
                                          "    border-image: url(:/controls/pic/control/Play.png);\n"
                                          "}\n"
                                          "QPushButton:hover {\n"
                                          "    border-radius:10px;\n"
                                          "    border-image: url(:/controls/pic/control/Play_Hover.png);\n"
                                          "}\n"
                                          "QPushButton:pressed {\n"
                                          "    border-radius:10px;\n"
                                          "    border-image: url(:/controls/pic/control/Play_Press.png);\n"
                                          "}";

inline constexpr const char *bandSlider = "QSlider::add-page:vertical {\n"
                                          "    background-color: rgb(108, 0, 255);\n"
                                          "    width:2px;\n"
                                          "}\n"
                                          "QSlider::sub-page:vertical {\n"
                                          "    background-color: rgb(167, 167, 169);\n"
                                          "    width:2px;\n"
                                          "}\n"
                                          "QSlider::groove:vertical {\n"
                                          "    background:transparent;\n"
                                          "    width:4px;\n"
                                          "}\n"
                                          "QSlider::handle:vertical {\n"
                                          "    height: 16px;\n"
                                          "    width:16px;\n"
                                          "    border-image: url(:/controls/pic/control/SliderButton.png);\n"
                                          "    margin: -0 -6px;\n"
                                          "}";

inline constexpr const char *nameField = "QLineEdit {\n"
                                         "    color:rgb(255, 255, 255);\n"
                                         "    border:1px solid rgb(255, 255, 255);\n"
                                         "    background: url(:/controls/pic/control/Background.png);\n"
                                         "}\n"
                                         "QLineEdit:hover {\n"
                                         "    color:rgb(255, 255, 255);\n"
                                         "    border:1px solid rgb(108, 0, 255);\n"
                                         "}\n"
                                         "QLineEdit:focus {\n"
                                         "    color:rgb(255, 255, 255);\n"
                                         "    border:1px solid rgb(83, 0, 200);\n"
                                         "}";

// The Mic ENC box: its indicator is a picture per state, so on and off read
// apart at a glance on the dark page.
inline constexpr const char *checkText = "QCheckBox {\n"
                                         "    font:20px;\n"
                                         "    color:rgb(255, 255, 255);\n"
                                         "    spacing: 8px;\n"
                                         "}\n"
                                         "QCheckBox::indicator {\n"
                                         "    width: 20px;\n"
                                         "    height: 20px;\n"
                                         "}\n"
                                         "QCheckBox::indicator:unchecked {\n"
                                         "    image: url(:/controls/pic/control/checkbox.png);\n"
                                         "}\n"
                                         "QCheckBox::indicator:checked {\n"
                                         "    image: url(:/controls/pic/control/checkbox_checked.png);\n"
                                         "}";
inline constexpr const char *whiteText = "color:rgb(255, 255, 255);  ";
inline constexpr const char *spectrumFrame = "border:2px solid rgb(10, 6, 30)";
inline constexpr const char *testFrame = "border:0px solid rgb(10, 6, 30);";
inline constexpr const char *divider = "border-image: url(:/controls/pic/control/divider.png); ";
inline constexpr const char *microphone = "border-image: url(:/controls/pic/control/Microphone.png); ";

// The no-receiver page's title strip, in the colours of the device page's title bar.
inline constexpr const char *emptyPageTitle =
    "QLabel {\n"
    "    color:rgb(255, 255, 255);\n"
    "    background-color: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 rgb(34, 12, 86),\n"
    "                                      stop:0.45 rgb(16, 9, 44), stop:1 rgb(10, 6, 30));\n"
    "    border-bottom: 1px solid rgb(108, 0, 255);\n"
    "}";

// The "warning" and "prompt" boxes, in the window's colours.
inline constexpr const char *messageBox = "QMessageBox {\n"
                                          "    background-color: rgb(10, 6, 30);\n"
                                          "    border: 1px solid rgb(108, 0, 255);\n"
                                          "}\n"
                                          "QMessageBox QLabel {\n"
                                          "    color:rgb(255, 255, 255);\n"
                                          "}\n"
                                          "QMessageBox QPushButton {\n"
                                          "    color:rgb(255, 255, 255);\n"
                                          "    background-color: rgb(10, 6, 30);\n"
                                          "    border:1px solid rgb(255, 255, 255);\n"
                                          "    min-width: 72px;\n"
                                          "    min-height: 26px;\n"
                                          "}\n"
                                          "QMessageBox QPushButton:hover, QMessageBox QPushButton:focus {\n"
                                          "    border:1px solid rgb(108, 0, 255);\n"
                                          "}\n"
                                          "QMessageBox QPushButton:pressed {\n"
                                          "    border:1px solid rgb(83, 0, 200);\n"
                                          "}";

// A picture stretched over the whole widget.
inline QString picture(const char *file)
{
    return QStringLiteral("border-image: url(%1);").arg(QLatin1String(file));
}

} // namespace VoxBenchStyle
