#include "window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace kelvo::test {

QStringList WindowTest::Snapshot() const {
  QStringList state;
  for (const QLineEdit* field : form->findChildren<QLineEdit*>())
    state << field->objectName() + "=" + field->text();
  const auto* fine = Find<QComboBox>("Combo_fine");
  state << "Combo_fine=" + fine->currentText() << QString::number(fine->count()) + " items";
  for (const QCheckBox* check : form->findChildren<QCheckBox*>())
    state << check->objectName() + (check->isChecked() ? "=1" : "=0");
  state << "Label_prompt=" + Find<QLabel>("Label_prompt")->text();
  state << (form->isVisible() ? "visible" : "hidden");
  return state;
}

}  // namespace kelvo::test
