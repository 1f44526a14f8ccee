// The port choice: the list at start-up with the stored port, the drop-down that enumerates
// afresh, the user's pick, and the simulator's announced ports.

#include <QComboBox>
#include <QPushButton>

#include "tests/gui/window_fixture.h"

namespace {

QStringList Items(QComboBox* box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
  return out;
}

TEST_F(WindowTest, StartUpChoosesTheStoredPortOrTheFirst) {
  struct Case {
    const char* stored;  // null: nothing stored
    int selected;
    const char* port;
  };
  const Case cases[] = {
      {"ttyUSB7", 1, "ttyUSB7"},  // found: chosen, and commPortName stays
      {"ttyUSB9", 0, "ttyUSB3"},  // not found: the first port
      {"TTYUSB7", 0, "ttyUSB3"},  // names compare exactly
      {nullptr, 0, "ttyUSB3"},
  };
  AddSysfsPort("ttyUSB7");
  AddSysfsPort("ttyUSB3");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "(nothing stored)");
    QSettings(kSettingsOrganisation, kSettingsApplication).clear();
    if (c.stored != nullptr) Store("CommPort", QString(c.stored));
    TfrmMain& w = Open();
    auto* box = Control<QComboBox>(w, "cbCommPort");
    EXPECT_EQ(Items(box),
              (QStringList{"ttyUSB3 Communications Port", "ttyUSB7 Communications Port"}));
    EXPECT_EQ(w.portCount, 2);
    EXPECT_EQ(w.selectedPort, c.selected);
    EXPECT_EQ(box->currentIndex(), c.selected);
    EXPECT_EQ(w.state().commPortName, c.port);
    EXPECT_TRUE(Control<QPushButton>(w, "btnStart")->isEnabled());
    window.reset();
  }
}

TEST_F(WindowTest, NoPortsListsThatAndKeepsStartDisabledUntilOneIsPicked) {
  Store("CommPort", QString("ttyUSB0"));
  TfrmMain& w = Open();
  auto* box = Control<QComboBox>(w, "cbCommPort");
  auto* start = Control<QPushButton>(w, "btnStart");
  EXPECT_EQ(Items(box), QStringList{"No Comm Ports Found"});
  EXPECT_EQ(w.state().commPortName, "");
  EXPECT_FALSE(start->isEnabled());

  // Picking the placeholder changes nothing.
  emit box->activated(0);
  EXPECT_EQ(w.state().commPortName, "");
  EXPECT_FALSE(start->isEnabled());

  // A port appears; the drop-down finds it and the pick enables Start.
  AddSysfsPort("ttyACM0");
  box->showPopup();
  box->hidePopup();
  EXPECT_EQ(Items(box), QStringList{"ttyACM0 Communications Port"});
  EXPECT_EQ(w.state().commPortName, "");  // the drop-down alone chooses nothing
  EXPECT_FALSE(start->isEnabled());
  emit box->activated(0);
  EXPECT_EQ(w.state().commPortName, "ttyACM0");
  EXPECT_EQ(w.state().portDisplayText, "ttyACM0 Communications Port");
  EXPECT_TRUE(start->isEnabled());

  // Gone again: the drop-down says so.
  RemoveSysfsPort("ttyACM0");
  box->showPopup();
  box->hidePopup();
  EXPECT_EQ(Items(box), QStringList{"No Comm Ports Found"});
}

TEST_F(WindowTest, DropDownAfterAnUnplugKeepsShowingTheChosenPort) {
  AddSysfsPort("ttyUSB0");
  AddSysfsPort("ttyUSB1");
  AddSysfsPort("ttyUSB2");
  TfrmMain& w = Open();
  auto* box = Control<QComboBox>(w, "cbCommPort");
  box->setCurrentIndex(1);
  emit box->activated(1);
  ASSERT_EQ(w.state().commPortName, "ttyUSB1");

  // The port before the chosen one goes: the list shrinks, and what it shows is still the port
  // an update would open.
  RemoveSysfsPort("ttyUSB0");
  box->showPopup();
  box->hidePopup();
  EXPECT_EQ(Items(box),
            (QStringList{"ttyUSB1 Communications Port", "ttyUSB2 Communications Port"}));
  EXPECT_EQ(box->currentText(), "ttyUSB1 Communications Port");
  EXPECT_EQ(w.selectedPort, 0);
  EXPECT_EQ(w.state().commPortName, "ttyUSB1");

  // The chosen port itself goes: the selection stays on its index while that exists, and the
  // name stays the chosen one until the user picks again.
  box->setCurrentIndex(1);
  emit box->activated(1);
  RemoveSysfsPort("ttyUSB2");
  AddSysfsPort("ttyUSB5");
  box->showPopup();
  box->hidePopup();
  EXPECT_EQ(Items(box),
            (QStringList{"ttyUSB1 Communications Port", "ttyUSB5 Communications Port"}));
  EXPECT_EQ(box->currentIndex(), 1);
  EXPECT_EQ(w.state().commPortName, "ttyUSB2");
  EXPECT_EQ(w.state().portDisplayText, "ttyUSB2 Communications Port");
  RemoveSysfsPort("ttyUSB5");
  box->showPopup();
  box->hidePopup();
  EXPECT_EQ(box->currentIndex(), 0);
}

TEST_F(WindowTest, ForceFindAllCommPortsProbesUnlistedNodesAtTheNextDropDown) {
  AddSysfsPort("ttyUSB0");
  std::ofstream(dir.File("dev/ttyS4")).put('\n');  // a node that sysfs does not list
  TfrmMain& w = Open();
  auto* box = Control<QComboBox>(w, "cbCommPort");
  EXPECT_EQ(Items(box), QStringList{"ttyUSB0 Communications Port"});
  Control<QAction>(w, "ForceFindAllCommPorts1")->trigger();
  EXPECT_TRUE(w.findAllComms);
  box->showPopup();
  box->hidePopup();
  EXPECT_EQ(Items(box), (QStringList{"ttyUSB0 Communications Port", "ttyS4 Communications Port"}));
}

TEST_F(WindowTest, TheSimulatorsAnnouncedPortIsListedAfterTheHardware) {
  AddSysfsPort("ttyS0");
  SimOptions o = MakeTestOptions("MTQ", "3.50");
  o.announce = true;
  o.announceDir = dir.File("ports");
  auto sim = StartSim(o);
  ASSERT_TRUE(sim);
  ASSERT_FALSE(sim->announcePath().empty());
  Store("CommPort", Q(sim->announcePath()));

  TfrmMain& w = Open();
  auto* box = Control<QComboBox>(w, "cbCommPort");
  const std::string pts = sim->slavePath().substr(5);  // "pts/N"
  EXPECT_EQ(Items(box),
            (QStringList{"ttyS0 Communications Port", Q(pts + " Simulated Vapora MTQ")}));
  // The stored link names the simulator from one run to the next.
  EXPECT_EQ(w.selectedPort, 1);
  EXPECT_EQ(w.state().commPortName, sim->announcePath());
}

}  // namespace
