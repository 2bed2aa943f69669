// The settings entry in the host's dispenser menu, the dialog's choices and what OK writes to cnf.INI.
#include <gtest/gtest.h>

#include "common/Cp1251.h"
#include "settings/SettingsDialog.h"
#include "support/SimDriver.h"
#include "support/TestMenu.h"

namespace {

using sbtest::TestMenu;

// The dialog a POSIX host lends: answers with a prepared choice, or cancels.
struct ScriptedDialog {
    static int32_t Run(void* context, SbSettingsChoice* choice) {
        auto& dialog = *static_cast<ScriptedDialog*>(context);
        dialog.shown.push_back(*choice);
        if (!dialog.ok) return 0;
        *choice = dialog.answer;
        return 1;
    }
    ScriptedDialog() {
        SbHostUi ui{};
        ui.size = sizeof ui;
        ui.context = this;
        ui.runSettingsDialog = &Run;
        SbSetHostUi(&ui);
    }
    ~ScriptedDialog() { SbSetHostUi(nullptr); }

    bool ok = true;
    SbSettingsChoice answer{};
    std::vector<SbSettingsChoice> shown;
};

class MenuTest : public ::testing::Test {
protected:
    void Hook(TestMenu& menus) { sim.Slots().HookMenu(sim.Object(), &menus.base, &TestMenu::Create); }
    void Click(TestMenu& entry) { entry.click.code(entry.click.self, &entry.base); }

    sbtest::SimDriver sim;
    TestMenu mainMenu{"main"};
    const std::string dispenserCaption = sb::ToCp1251("&ТРК");
};

TEST_F(MenuTest, EntryIsAddedUnderTheDispenserMenuOnce) {
    mainMenu.Add("&File");
    TestMenu* dispenser = mainMenu.Add(dispenserCaption);
    Hook(mainMenu);
    ASSERT_EQ(dispenser->children.size(), 1u);
    const TestMenu& entry = *dispenser->children[0];
    EXPECT_EQ(sb::ToUtf8(entry.caption), "Программирование параметров (Sheidt&Bachmann)");
    EXPECT_EQ(sb::ToUtf8(entry.hint), "Программирование параметров (S&B)");
    EXPECT_EQ(entry.createdAt, -1);
    EXPECT_EQ(entry.helpContext, 0);
    EXPECT_EQ(entry.shortcut, 0u);
    EXPECT_EQ(entry.click.self, sim.Object());
    Hook(mainMenu);
    EXPECT_EQ(dispenser->children.size(), 1u);
}

TEST_F(MenuTest, NoDispenserMenuAtTheFirstCallMeansNoEntryEver) {
    TestMenu* almost = mainMenu.Add(sb::ToCp1251("ТРК"));
    mainMenu.Add(sb::ToCp1251("&трк"));
    Hook(mainMenu);
    TestMenu* dispenser = mainMenu.Add(dispenserCaption);
    Hook(mainMenu);
    EXPECT_TRUE(almost->children.empty());
    EXPECT_TRUE(dispenser->children.empty());
}

TEST_F(MenuTest, OkAppliesTheChoiceAtOnceAndWritesTheFile) {
    TestMenu* dispenser = mainMenu.Add(dispenserCaption);
    Hook(mainMenu);
    ScriptedDialog dialog;
    dialog.answer = SbSettingsChoice{3, 1, 1, {0, 1, 0, 0, 0, 0, 0, 0}};
    Click(*dispenser->children[0]);

    ASSERT_EQ(dialog.shown.size(), 1u);
    EXPECT_EQ(dialog.shown[0].amountScale, 2);  // the defaults: two decimals, 2400, no T10 line
    EXPECT_EQ(dialog.shown[0].priceScale, 2);
    EXPECT_EQ(dialog.shown[0].speed, 0);
    EXPECT_EQ(sim.Driver().SDec, 1000);
    EXPECT_EQ(sim.Driver().PDec, 10);
    EXPECT_EQ(sim.Driver().Baud, 9600);
    EXPECT_TRUE(sim.Point(2).T10Line);
    EXPECT_EQ(sbtest::ReadFile(sim.dir.File("cnf.INI")),
              "[SB]\r\nBaud=9600\r\nSDec=1000\r\nPDec=10\r\nT10_1=0\r\nT10_2=1\r\nT10_3=0\r\nT10_4=0\r\nT10_5=0\r\n"
              "T10_6=0\r\nT10_7=0\r\nT10_8=0\r\n");

    // A line opened afterwards takes the new speed.
    sim.Slots().OpenLine(sim.Object(), 1);
    EXPECT_EQ(sim.port.calls().back().arg2, 9600u);
}

TEST_F(MenuTest, CancelChangesNothing) {
    TestMenu* dispenser = mainMenu.Add(dispenserCaption);
    Hook(mainMenu);
    ScriptedDialog dialog;
    dialog.ok = false;
    Click(*dispenser->children[0]);
    EXPECT_EQ(dialog.shown.size(), 1u);
    EXPECT_EQ(sim.Driver().SDec, 100);
    EXPECT_TRUE(sbtest::ReadFile(sim.dir.File("cnf.INI")).empty());
}

TEST_F(MenuTest, SettingsThatCannotBeWrittenStayInForceAndTheOperatorIsTold) {
    TestMenu* dispenser = mainMenu.Add(dispenserCaption);
    Hook(mainMenu);
    sim.Driver().Settings.FilePath = sim.dir.File("missing/cnf.INI");
    ScriptedDialog dialog;
    dialog.answer = SbSettingsChoice{0, 0, 0, {}};
    Click(*dispenser->children[0]);
    EXPECT_EQ(sim.Driver().SDec, 1);
    EXPECT_TRUE(sim.log.Has("Не удалось записать настройки в файл " + sim.dir.File("missing/cnf.INI")));
}

TEST(SettingsChoice, ValuesOutsideTheDialogsChoices) {
    sb::DriverSettings settings;
    settings.SDec = 5;
    settings.PDec = 1000;
    settings.Baud = 1200;
    settings.T10Line[8] = true;
    sb::SettingsChoice choice = sb::PresetChoice(settings);
    EXPECT_EQ(choice.amountScale, sb::SettingsChoice::kNone);
    EXPECT_EQ(choice.priceScale, 3);
    EXPECT_EQ(choice.speed, 0);  // shown as "2400"
    EXPECT_TRUE(choice.t10[8]);

    sb::ApplyChoice(choice, settings);  // OK without touching anything
    EXPECT_EQ(settings.SDec, 5);        // a group left without a selection keeps its value
    EXPECT_EQ(settings.PDec, 1000);
    EXPECT_EQ(settings.Baud, 2400);
    choice.amountScale = 9;  // nothing a dialog can select
    sb::ApplyChoice(choice, settings);
    EXPECT_EQ(settings.SDec, 5);
}

}  // namespace
