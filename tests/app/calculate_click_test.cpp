#include <cstring>

#include "app/calculate_steps.h"
#include "window_fixture.h"

namespace kelvo::test {
namespace {

using Texts = std::array<const char*, 7>;
const Texts kHelical = {"100", "2", "23", "73", "30", "15", "0.3"};

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

// The default pair's and the helical pair's seven results; then each input in turn holding text
// that is no number: one message box, titled Kelvo, with OK only and no icon, and the earlier
// results, the typed text and gearPair stay as they were.
TEST_F(CalculateClick, FillsTheResultsAndBadTextGivesOneMessageAndChangesNothing) {
  ModalWatcher messages;
  Calculate();
  EXPECT_EQ(Results(), QStringList({"40", "80", "44", "84", "4.5", "0", "0"}));
  Type(kHelical);
  Calculate();
  const QStringList results = {"47.62", "151.15", "52.8", "155.18", "4.49", "0.313", "0.013"};
  EXPECT_EQ(Results(), results);
  EXPECT_TRUE(messages.seen.empty());
  const GearPairData solved = gearPair;
  EXPECT_EQ(solved.z2, 73) << "the solved pair is kept";
  for (std::size_t field = 0; field < 7; ++field) {
    for (const char* bad : {"", "abc", "2mm", "1..5"}) {
      SCOPED_TRACE(std::string(kInputFieldNames[field]) + " = \"" + bad + "\"");
      Texts inputs = kHelical;
      inputs[field] = bad;
      Type(inputs);
      EXPECT_EQ(Results(), results) << "editing leaves the results";
      const QStringList typed = Snapshot();
      messages.seen.clear();
      Calculate();
      ASSERT_EQ(messages.seen.size(), 1u);
      const SeenMessage& box = messages.seen[0];
      EXPECT_EQ(box.title, "Kelvo");
      EXPECT_EQ(box.text.toStdString(), kBadInputMessage);
      EXPECT_EQ(box.buttons, QMessageBox::Ok);
      EXPECT_EQ(box.icon, QMessageBox::NoIcon);
      EXPECT_EQ(Snapshot(), typed);
      EXPECT_EQ(std::memcmp(&gearPair, &solved, sizeof solved), 0);
    }
  }
}

}  // namespace
}  // namespace kelvo::test
