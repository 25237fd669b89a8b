#pragma once

#include <QString>
#include <string>

class QWidget;

namespace kelvo::cad {

class PreparedExport;

// How an export written with a progress box ended.
struct ExportEnd {
  enum Kind { Written, Cancelled, Failed } kind = Written;
  std::string error;  // why it failed
};

// Writes a prepared export on a thread of its own and returns once it has ended. Meanwhile every
// window keeps painting; after a moment a progress box over parent (titled Kelvo, application
// modal, so that nothing else is started) shows how far it has come, and its 取消 button
// cancels it. Until the box shows, input waits in its queue.
ExportEnd WriteWithProgress(QWidget* parent, const PreparedExport& prepared, const QString& name);

}  // namespace kelvo::cad
