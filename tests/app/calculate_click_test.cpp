#include <QLineEdit>
#include <QPushButton>
#include <cstring>

#include "app/calculate_steps.h"
#include "window_fixture.h"

namespace kelvo::test {
namespace {

using Texts = std::array<const char*, 7>;

class CalculateClick : public WindowTest {
 protected:
  void Type(const Texts& inputs) {
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      auto* field = Find<QLineEdit>(std::string(kInputFieldNames[i]).c_str());
      field->selectAll();
      QTest::keyClick(field, Qt::Key_Delete);
      QTest::keyClicks(field, inputs[i]);
    }
  }
  void Calculate() {
    QTest::mouseClick(Find("cmdCalculate"), Qt::LeftButton);
    QTest::qWait(1);
  }
  QStringList Results() const {
    QStringList texts;
    for (const ResultFieldFormat& format : kResultFields)
      texts << Find<QLineEdit>(std::string(format.name).c_str())->text();
    return texts;
  }
};

TEST_F(CalculateClick, FillsTheSevenResults) {
  struct Case {
    Texts inputs;
    QStringList results;
  };
  const Case cases[] = {
      {{"60", "2", "20", "40", "20", "0", "0"}, {"40", "80", "44", "84", "4.5", "0", "0"}},
      {{"100", "2", "23", "73", "30", "15", "0.3"},
       {"47.62", "151.15", "52.8", "155.18", "4.49", "0.313", "0.013"}},
  };
  ModalWatcher messages;
  for (const Case& c : cases) {
    Type(c.inputs);
    Calculate();
    EXPECT_EQ(Results(), c.results);
    EXPECT_EQ(gearPair.z2, std::atoi(c.inputs[3])) << "the solved pair is kept";
  }
  // Editing an input afterwards leaves the results of the last calculation.
  Type({"60", "2", "20", "40", "20", "0", "0"});
  EXPECT_EQ(Results(), cases[1].results);
  EXPECT_TRUE(messages.seen.empty());
}

// Each input in turn holding text that is no number: one message box, titled Kelvo, with OK
// only and no icon; the earlier results, the typed text and gearPair stay as they were.
TEST_F(CalculateClick, BadTextGivesOneMessageAndChangesNothing) {
  ModalWatcher messages;
  const Texts helical = {"100", "2", "23", "73", "30", "15", "0.3"};
  Type(helical);
  Calculate();
  const QStringList results = Results();
  GearPairData solved = gearPair;
  for (std::size_t field = 0; field < 7; ++field) {
    for (const char* bad : {"", "abc", "2mm", "1..5"}) {
      Texts inputs = helical;
      inputs[field] = bad;
      Type(inputs);
      const QStringList typed = Snapshot();
      messages.seen.clear();
      Calculate();
      const std::string where = std::string(kInputFieldNames[field]) + " = \"" + bad + "\"";
      ASSERT_EQ(messages.seen.size(), 1u) << where;
      const SeenMessage& box = messages.seen[0];
      EXPECT_EQ(box.title, "Kelvo");
      EXPECT_EQ(box.text.toStdString(), kBadInputMessage);
      EXPECT_EQ(box.buttons, QMessageBox::Ok);
      EXPECT_EQ(box.icon, QMessageBox::NoIcon);
      EXPECT_EQ(Results(), results) << where;
      EXPECT_EQ(Snapshot(), typed) << where;
      EXPECT_EQ(std::memcmp(&gearPair, &solved, sizeof solved), 0) << where;
    }
  }
}

}  // namespace
}  // namespace kelvo::test
