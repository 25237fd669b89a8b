#include <cstring>

#include "app/calculate_steps.h"
#include "window_fixture.h"

namespace kelvo::test {
namespace {

using Texts = std::array<const char*, 7>;

// The default pair's and the helical pair's seven results; then each input in turn holding text
// that is no number: one message box, titled Kelvo, with OK only and no icon, and the earlier
// results, the typed text and gearPair stay as they were.
TEST_F(WindowTest, CalculateFillsTheResultsAndBadTextGivesOneMessageAndChangesNothing) {
  const auto type = [&](const Texts& inputs) {
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      auto* field = Find<QLineEdit>(kInputFieldNames[i]);
      field->selectAll();
      QTest::keyClick(field, Qt::Key_Delete);
      QTest::keyClicks(field, inputs[i]);
    }
  };
  const auto calculate = [&] {
    QTest::mouseClick(Find("cmdCalculate"), Qt::LeftButton);
    QTest::qWait(1);
    QStringList results;
    for (const ResultFieldFormat& format : kResultFields)
      results << Find<QLineEdit>(format.name)->text();
    return results;
  };
  ModalWatcher messages;
  EXPECT_EQ(calculate(), QStringList({"40", "80", "44", "84", "4.5", "0", "0"}));
  const Texts helical = {"100", "2", "23", "73", "30", "15", "0.3"};
  type(helical);
  const QStringList results = {"47.62", "151.15", "52.8", "155.18", "4.49", "0.313", "0.013"};
  EXPECT_EQ(calculate(), results);
  EXPECT_TRUE(messages.seen.empty());
  const GearPairData solved = gearPair;
  EXPECT_EQ(solved.z2, 73) << "the solved pair is kept";
  const QString message = "Kelvo|" + QString::fromUtf8(kBadInputMessage.data()) + "|OK";
  for (std::size_t field = 0; field < 7; ++field) {
    for (const char* bad : {"", "abc", "2mm", "1..5"}) {
      SCOPED_TRACE(std::string(kInputFieldNames[field]) + " = \"" + bad + "\"");
      Texts inputs = helical;
      inputs[field] = bad;
      type(inputs);
      const QStringList typed = Snapshot();
      messages.seen.clear();
      EXPECT_EQ(calculate(), results) << "the earlier results stay";
      EXPECT_EQ(messages.seen, QStringList(message));
      EXPECT_EQ(Snapshot(), typed);
      EXPECT_EQ(std::memcmp(&gearPair, &solved, sizeof solved), 0);
    }
  }
}

}  // namespace
}  // namespace kelvo::test
