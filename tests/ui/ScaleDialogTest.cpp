// The scale dialog over its model: validation keeps it open, "Pixel" copies the
// pixel length, and the numeric calibration through the menu.
#include "tests/ui/UiTestSupport.h"

#include "workbench/calibration/ScaleDialogModel.h"
#include "workbench/ui/TFormScale.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using namespace UiTest;

TEST(ScaleDialog, PixelUnit_CopiesPixelLengthAndDisablesScale)
{
    TFormScale form;
    ScaleDialogModel model;
    model.SetPixelLengthText(QStringLiteral("152.00"));
    OnNextDialog([&](QWidget*) {
        EXPECT_EQ(form.ComboBoxUnit()->currentText(), QStringLiteral("Pixel"));
        EXPECT_EQ(form.EditScale()->text(), QStringLiteral("152.00"));
        EXPECT_FALSE(form.EditScale()->isEnabled());
        EXPECT_TRUE(form.EditPixelLength()->isReadOnly());
        form.ComboBoxUnit()->setCurrentIndex(1);
        emit form.ComboBoxUnit()->activated(1);
        EXPECT_TRUE(form.EditScale()->isEnabled());
        form.EditScale()->setText(QStringLiteral("1"));
        form.BitBtnOk()->click();
    });
    EXPECT_TRUE(form.Run(model, LanguageTable::Pelorix(), QLatin1Char('.')));
    EXPECT_EQ(model.SelectedUnitText(), QStringLiteral("mm"));
    EXPECT_EQ(model.ScaleText(), QStringLiteral("1"));
}

TEST(ScaleDialog, ValueNotAboveZero_ShowsNoticeAndStaysOpen)
{
    TFormScale form;
    ScaleDialogModel model;
    model.SetPixelLengthText(QStringLiteral("100"));
    model.SelectUnit(1);
    QStringList shown;
    OnNextDialog([&](QWidget*) {
        form.EditScale()->setText(QStringLiteral("0"));
        form.BitBtnOk()->click(); // refused: the notice opens over the dialog
    });
    OnNextDialog([&](QWidget* notice) {
        shown << DialogText(notice);
        PressButton(notice, QStringLiteral("OK"));
    });
    OnNextDialog([&](QWidget*) {
        form.EditScale()->setText(QStringLiteral("abc"));
        form.reject(); // the window button: also checked
    });
    OnNextDialog([&](QWidget* notice) {
        shown << DialogText(notice);
        PressButton(notice, QStringLiteral("OK"));
    });
    OnNextDialog([&](QWidget*) {
        form.EditScale()->setText(QStringLiteral("2"));
        form.reject();
    });
    EXPECT_FALSE(form.Run(model, LanguageTable::Pelorix(), QLatin1Char('.')));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], QStringLiteral("Ungültiger Wert|Bitte geben Sie für Länge und Pixel Zahlen größer als 0 ein."));
    EXPECT_TRUE(shown[1].contains(QStringLiteral("'abc'")));
    EXPECT_EQ(model.ScaleText(), QStringLiteral("2"));
}

namespace {
class NumericScale : public MainWindowFixture
{
};
} // namespace

TEST_F(NumericScale, Menu_152PixelsPerMillimetre_CalibratesAndCreatesBar)
{
    Create();
    m_window->RunStartup();
    OnNextDialog([&](QWidget* dialog) {
        auto* form = static_cast<TFormScale*>(dialog);
        EXPECT_FALSE(form->EditPixelLength()->isReadOnly());
        form->EditPixelLength()->setText(QStringLiteral("152"));
        form->ComboBoxUnit()->setCurrentIndex(1);
        emit form->ComboBoxUnit()->activated(1);
        form->EditScale()->setText(QStringLiteral("1"));
        form->BitBtnOk()->click();
    });
    m_window->Action(QStringLiteral("Numerisch1"))->trigger();
    const WorkbenchState& state = m_window->Bench().State();
    EXPECT_DOUBLE_EQ(state.Scale, 1.0 / 152.0);
    EXPECT_EQ(state.AreaUnitText, QStringLiteral("mm²"));
    EXPECT_GE(state.ScaleBarId, 0);
    EXPECT_FALSE(m_window->FormScale()->isVisible());
}
