#include "ui/VoxBenchForm.h"

#include "ui/ButtonKeys.h"
#include "ui/DeviceBackdrop.h"
#include "ui/PictureWhenDrawn.h"
#include "ui/VoxBenchStyle.h"

#include <QSignalBlocker>
#include <QSlider>
#include <QTabBar>

namespace {

void setSheet(QWidget *widget, const char *sheet)
{
    widget->setStyleSheet(QString::fromLatin1(sheet));
}

// The device page's pictures, in the order of the widgets in applyLook; the
// no-receiver page covers all of them, its opaque picture below the title strip.
const char *const kCoveredPictures[] = {
    ":/controls/pic/control/Head_Background.jpg",
    ":/controls/pic/control/Head1.png",
    ":/controls/pic/control/minimize.png",
    ":/controls/pic/control/close.png",
    ":/png/pic/png/left.png",
    ":/png/pic/png/right.png",
    ":/png/pic/png/up.png",
    ":/png/pic/png/leftup.png",
    ":/png/pic/png/rightup.png",
    ":/png/pic/png/rightdown.png",
    ":/png/pic/png/leftdown.png",
};
constexpr int kCoveredCount = int(sizeof(kCoveredPictures) / sizeof(kCoveredPictures[0]));

// The bands as a screen reader says them; the captions under the sliders are cut short.
const char *const kBandNames[] = {
    QT_TRANSLATE_NOOP("VoxBenchClass", "30 Hz"),  QT_TRANSLATE_NOOP("VoxBenchClass", "60 Hz"),
    QT_TRANSLATE_NOOP("VoxBenchClass", "120 Hz"), QT_TRANSLATE_NOOP("VoxBenchClass", "250 Hz"),
    QT_TRANSLATE_NOOP("VoxBenchClass", "500 Hz"), QT_TRANSLATE_NOOP("VoxBenchClass", "1 kHz"),
    QT_TRANSLATE_NOOP("VoxBenchClass", "2 kHz"),  QT_TRANSLATE_NOOP("VoxBenchClass", "4 kHz"),
    QT_TRANSLATE_NOOP("VoxBenchClass", "8 kHz"),  QT_TRANSLATE_NOOP("VoxBenchClass", "16 kHz"),
};
constexpr int kBandCount = int(sizeof(kBandNames) / sizeof(kBandNames[0]));

QString text(const char *source)
{
    return QCoreApplication::translate("VoxBenchClass", source);
}

} // namespace

void VoxBenchForm::setupUi(QMainWindow *VoxBenchClass, CoveredLook covered)
{
    Ui::VoxBenchClass::setupUi(VoxBenchClass);
    m_covered.clear();
    m_nextCovered = 0;
    applyLook();
    applyAccessibility();
    applyKeyboard();
    if (covered == CoveredLook::Now) {
        while (applyNextCoveredLook()) {
        }
    }
}

bool VoxBenchForm::applyNextCoveredLook()
{
    if (m_nextCovered >= m_covered.size())
        return false;
    m_covered[m_nextCovered++]();
    return true;
}

int VoxBenchForm::coveredLookLeft() const
{
    return int(m_covered.size() - m_nextCovered);
}

// The sheets live in VoxBenchStyle rather than in the .ui file, so that the
// look has one home; Designer shows the form unstyled.
void VoxBenchForm::applyLook()
{
    // Shown by the first frame: the no-receiver page, its title strip and the
    // picture that shows through the strip. The strip is dark like the device
    // page's title bar, so that neither the window's grey nor the title
    // picture below shows through.
    setSheet(label_DefaultHead, VoxBenchStyle::emptyPageTitle);
    // The no-receiver page's picture covers the window below the title strip
    // with opaque pixels; saying so spares drawing the device page hidden
    // under it. (Not the strip: an opaque widget gets no sheet background.)
    label_DefaultBackground->setAttribute(Qt::WA_OpaquePaintEvent);
    PictureWhenDrawn::paintOnto(label_DefaultBackground, QStringLiteral(":/controls/pic/control/InitBg.jpg"));
    DeviceBackdrop::paintOnto(label);
    const struct
    {
        QWidget *widget;
        const char *file;
    } pictures[] = {
        // Under the no-receiver title strip, whose gradient lets it through by a shade.
        {label__Head_Two, ":/controls/pic/control/Head2.png"},
        {pushButton_DefaultClose, ":/controls/pic/control/close1.png"},
    };
    for (const auto &picture : pictures)
        picture.widget->setStyleSheet(VoxBenchStyle::picture(picture.file));

    // The device page, covered at first: its sheets (each one parses, and
    // decodes the pictures it names) wait for idle turns after the first frame.
    const auto later = [this](std::function<void()> step) { m_covered.push_back(std::move(step)); };
    later([this] {
        for (QRadioButton *button : centralWidget->findChildren<QRadioButton *>())
            setSheet(button, VoxBenchStyle::modeRadio);
    });
    later([this] {
        for (QPushButton *add : {pushButton_Surround_CustomAdd, pushButton_Stereo_CustomAdd})
            setSheet(add, VoxBenchStyle::addButton);
        for (QPushButton *clear : {pushButton_Surround_CustomClear, pushButton_Stereo_CustomClear})
            setSheet(clear, VoxBenchStyle::clearButton);
        for (QGroupBox *strip : {groupBox_Surround, groupBox_Stereo})
            setSheet(strip, VoxBenchStyle::modeStrip);
        for (QLabel *divider : {label_13, label_12})
            setSheet(divider, VoxBenchStyle::divider);
    });
    later([this] {
        setSheet(checkBox_MicENC, VoxBenchStyle::checkText);
        setSheet(label_5, VoxBenchStyle::microphone);
        for (QPushButton *button : {pushButton_CustomSave, pushButton_CustomReset})
            setSheet(button, VoxBenchStyle::textButton);
        setSheet(pushButton_SurroundTest, VoxBenchStyle::playButton);
        setSheet(groupBox_SurroundTest, VoxBenchStyle::testFrame);
        setSheet(groupBox_Stereo_Spectrum, VoxBenchStyle::spectrumFrame);
        setSheet(lineEdit_CustomName, VoxBenchStyle::nameField);
    });
    // The slider strips: ten sliders over ten captions on each panel.
    for (int page = 0; page <= 1; ++page) {
        later([this, page] {
            for (int band = 0; band < 10; ++band)
                setSheet(bandSlider(page, band), VoxBenchStyle::bandSlider);
            QLayout *const captions = page == 1 ? horizontalLayout_18 : horizontalLayout_15;
            for (int i = 0; i < captions->count(); ++i) {
                if (QWidget *caption = captions->itemAt(i)->widget())
                    setSheet(caption, VoxBenchStyle::whiteText);
            }
        });
    }
    later([this] {
        for (QLabel *axis : {label_dB, label_Hz})
            setSheet(axis, VoxBenchStyle::whiteText);
        // Last: a group box sizes its frame when its style changes, so one whose
        // own sheet came after the tab widget's would keep a frame that ignores it.
        setSheet(tabWidget, VoxBenchStyle::tab);
    });

    // The device page's pictures. Labels and buttons outside the tab widget:
    // set after its sheet, they look the same.
    QWidget *const widgets[] = {
        label_Head,         label_Head_One,       pushButton_Minimize, pushButton_Close,
        label_Horn_Left,    label_Horn_Right,     label_Horn_Up,       label_Horn_LeftUp,
        label_Horn_RightUp, label_Horn_RightDown, label_Horn_LeftDown,
    };
    static_assert(sizeof(widgets) / sizeof(widgets[0]) == kCoveredCount, "one widget per covered picture");
    for (int i = 0; i < kCoveredCount; ++i) {
        QWidget *const widget = widgets[i];
        const char *const file = kCoveredPictures[i];
        later([widget, file] { widget->setStyleSheet(VoxBenchStyle::picture(file)); });
    }
}

QString VoxBenchForm::bandSliderName(int band, int gain)
{
    if (band < 0 || band >= kBandCount)
        return QString();
    // A real minus sign: a hyphen is read as "dash" by some screen readers.
    const QString value = gain < 0 ? QChar(0x2212) + QString::number(-gain)
                                   : (gain > 0 ? QStringLiteral("+") : QString()) + QString::number(gain);
    return text(QT_TRANSLATE_NOOP("VoxBenchClass", "%1, %2 dB")).arg(text(kBandNames[band]), value);
}

void VoxBenchForm::showBandGain(int page, int band, int gain) const
{
    QSlider *const slider = bandSlider(page, band);
    {
        const QSignalBlocker blocker(slider);
        slider->setValue(gain);
    }
    slider->setAccessibleName(bandSliderName(band, slider->value()));
}

// Names for the controls that show only a picture or a sign, and what the less
// obvious ones do; kept in code so that every name has one home.
void VoxBenchForm::applyAccessibility()
{
    const struct
    {
        QWidget *widget;
        const char *name;
        const char *description;
    } controls[] = {
        {pushButton_Surround_CustomAdd, QT_TRANSLATE_NOOP("VoxBenchClass", "Add mode"),
         QT_TRANSLATE_NOOP("VoxBenchClass", "Adds a custom mode to this tab, up to five")},
        {pushButton_Stereo_CustomAdd, QT_TRANSLATE_NOOP("VoxBenchClass", "Add mode"),
         QT_TRANSLATE_NOOP("VoxBenchClass", "Adds a custom mode to this tab, up to five")},
        {pushButton_Surround_CustomClear, QT_TRANSLATE_NOOP("VoxBenchClass", "Delete mode"),
         QT_TRANSLATE_NOOP("VoxBenchClass", "Deletes the chosen custom mode")},
        {pushButton_Stereo_CustomClear, QT_TRANSLATE_NOOP("VoxBenchClass", "Delete mode"),
         QT_TRANSLATE_NOOP("VoxBenchClass", "Deletes the chosen custom mode")},
        {pushButton_Minimize, QT_TRANSLATE_NOOP("VoxBenchClass", "Minimize"), nullptr},
        {pushButton_Close, QT_TRANSLATE_NOOP("VoxBenchClass", "Close"), nullptr},
        {pushButton_DefaultClose, QT_TRANSLATE_NOOP("VoxBenchClass", "Close"), nullptr},
        {pushButton_SurroundTest, QT_TRANSLATE_NOOP("VoxBenchClass", "Speaker test"),
         QT_TRANSLATE_NOOP("VoxBenchClass", "Plays a test sound on each of the seven speakers in turn")},
        {lineEdit_CustomName, QT_TRANSLATE_NOOP("VoxBenchClass", "Mode name"),
         QT_TRANSLATE_NOOP("VoxBenchClass", "The name of the chosen custom mode, given with Save")},
        {pushButton_CustomReset, nullptr,
         QT_TRANSLATE_NOOP("VoxBenchClass", "Puts the sliders of the chosen custom mode back to 0 dB")},
    };
    for (const auto &control : controls) {
        if (control.name)
            control.widget->setAccessibleName(text(control.name));
        if (control.description)
            control.widget->setAccessibleDescription(text(control.description));
    }

    for (int page = 0; page <= 1; ++page) {
        for (int band = 0; band < kBandCount; ++band) {
            QSlider *const slider = bandSlider(page, band);
            slider->setAccessibleName(bandSliderName(band, slider->value()));
            slider->setAccessibleDescription(
                text(QT_TRANSLATE_NOOP("VoxBenchClass", "Gain of the band, from -12 to +12 dB")));
            QObject::connect(slider, &QSlider::valueChanged, slider, [slider, band](int gain) {
                slider->setAccessibleName(bandSliderName(band, gain));
            });
        }
    }
}

QList<QWidget *> VoxBenchForm::tabChain() const
{
    QList<QWidget *> chain{tabWidget,
                           radioButton_Surround_VornStandard,
                           radioButton_Surround_FPS,
                           radioButton_Surround_Moba,
                           radioButton_Surround_DeepBass,
                           radioButton_Surround_Customize,
                           pushButton_Surround_CustomAdd,
                           pushButton_Surround_CustomClear,
                           radioButton_Surround_Custom1,
                           radioButton_Surround_Custom2,
                           radioButton_Surround_Custom3,
                           radioButton_Surround_Custom4,
                           radioButton_Surround_Custom5,
                           radioButton_Stereo_VornStandard,
                           radioButton_Stereo_Pop,
                           radioButton_Stereo_RockRoll,
                           radioButton_Stereo_DeepBass,
                           radioButton_Stereo_Jazz,
                           radioButton_Stereo_Classic,
                           radioButton_Stereo_Customize,
                           pushButton_Stereo_CustomAdd,
                           pushButton_Stereo_CustomClear,
                           radioButton_Stereo_Custom1,
                           radioButton_Stereo_Custom2,
                           radioButton_Stereo_Custom3,
                           radioButton_Stereo_Custom4,
                           radioButton_Stereo_Custom5,
                           checkBox_MicENC};
    for (int page : {1, 0}) {
        for (int band = 0; band < kBandCount; ++band)
            chain << bandSlider(page, band);
    }
    chain << lineEdit_CustomName << pushButton_CustomReset << pushButton_CustomSave << pushButton_SurroundTest
          << pushButton_Minimize << pushButton_Close << pushButton_DefaultClose;
    return chain;
}

// Every control takes the focus from the keyboard, in the order of tabChain;
// nothing else does, so no stop is left that shows nothing.
void VoxBenchForm::applyKeyboard()
{
    const QList<QWidget *> chain = tabChain();
    for (QWidget *widget : centralWidget->findChildren<QWidget *>()) {
        if (!chain.contains(widget) && !qobject_cast<QTabBar *>(widget) &&
            (widget->focusPolicy() & Qt::TabFocus))
            widget->setFocusPolicy(Qt::FocusPolicy(widget->focusPolicy() & ~Qt::TabFocus));
    }
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);

    auto *keys = new ButtonKeys(centralWidget);
    for (QWidget *widget : chain) {
        if (qobject_cast<QAbstractButton *>(widget))
            widget->installEventFilter(keys);
    }
    // Enter in the name field saves the name, as Save beside it does.
    QObject::connect(lineEdit_CustomName, &QLineEdit::returnPressed, pushButton_CustomSave,
                     &QAbstractButton::click);
}

QSlider *VoxBenchForm::bandSlider(int page, int band) const
{
    QSlider *const stereo[10] = {
        verticalSlider_30, verticalSlider_60, verticalSlider_120, verticalSlider_250, verticalSlider_500,
        verticalSlider_1k, verticalSlider_2k, verticalSlider_4k,  verticalSlider_8k,  verticalSlider_16k};
    QSlider *const surround[10] = {verticalSlider_30_2,  verticalSlider_60_2,  verticalSlider_120_2,
                                   verticalSlider_250_2, verticalSlider_500_2, verticalSlider_1k_2,
                                   verticalSlider_2k_2,  verticalSlider_4k_2,  verticalSlider_8k_2,
                                   verticalSlider_16k_2};
    // Bands outside 0..9 are outside the contract; give no slider rather
    // than read past the table.
    if (band < 0 || band > 9)
        return nullptr;
    return page == 1 ? surround[band] : stereo[band];
}
