#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "cad/occt/occt_types.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSlider;
class QTabWidget;

namespace kelvo::cad {

class DrawingView;
class OcctCadApplication;
class OcctDocument;
class OcctObserver;
struct ObservedEntity;

// The CAD application's window: one tab per drawing ("Drawing1", "Drawing2", ... in order of
// creation, the newest current; its tooltip says what the drawing holds, when its maker
// described it), a hint in their place while there is none, a command line under them, and a
// File menu that exports the current drawing. It first opens beside the program's other
// windows, where the screen has room.
// It follows its application through OcctObserver and changes the drawings only from the user's
// own actions (closing a drawing, typing a command, exporting).
//
// The drawings are the user's work: one that changed since it was last exported (or was never
// exported) is not discarded without asking, whether its tab or the whole window is closed.
class CadWindow final : public QMainWindow {
  Q_OBJECT

 public:
  // on_closed runs once the user has closed the window and agreed to lose what was unsaved;
  // it ends the application instance.
  CadWindow(OcctCadApplication& application, std::function<void()> on_closed,
            QWidget* parent = nullptr);
  ~CadWindow() override;
  CadWindow(const CadWindow&) = delete;
  CadWindow& operator=(const CadWindow&) = delete;

  // What to hand to OcctCadApplication::SetObserver; it lives as long as the window.
  std::weak_ptr<OcctObserver> Observer() const;

  // The view of drawing number (3 for "Drawing3"), or null when it is not open.
  DrawingView* ViewOf(int number) const;
  // Whether the drawing has changes no export has written yet.
  bool IsUnsaved(int number) const;

  // Writes the drawing to path, the format chosen by the extension (.step/.stp, .iges/.igs,
  // .stl, .brep), on a thread of its own while the windows keep painting and a progress box
  // offers to cancel (export_with_progress.h). A drawing that lacks part of its model is
  // written only if the user says so again. On success the drawing counts as saved; on failure
  // the user is told why and false is returned; cancelled, false and no file.
  bool ExportDrawing(int number, const std::filesystem::path& path);
  // Asks for a file name and exports the current drawing; false if cancelled or failed.
  bool ExportCurrentDrawing();
  // Closes the drawing, after asking if it is unsaved; false if the user kept it.
  bool CloseDrawing(int number);

  // 视图 → 啮合装配 (MESH): enabled when the application holds a finished small and large
  // gear of one pair, the newest of each (FindMeshCandidates).
  bool CanMesh() const;
  // The rolling slider under a mesh drawing: shown only for one, from 0 to its full travel,
  // one pitch of the small gear.
  QSlider* RollingSlider() const { return rolling_slider_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  class Follower;
  struct Sheet {
    int number = 0;
    QString name;
    QWidget* page = nullptr;      // the tab's widget: the view, or a note when it cannot draw
    DrawingView* view = nullptr;  // null when the view could not be made
    bool unsaved = false;
    DrawingShortfalls shortfalls;    // what the drawing lacks of what was asked for in it
    DrawingDescription description;  // what it holds, as its maker said: the tab's tooltip
    QStringList log;
  };

  void CreateMenus();
  Sheet* SheetOf(int number);
  const Sheet* SheetOf(int number) const;
  Sheet* CurrentSheet();
  std::shared_ptr<OcctDocument> DocumentOf(int number) const;
  void RunTypedCommand();
  void SendToCurrent(const QString& command);
  void AppendLog(Sheet* sheet, const QString& line);
  void CurrentChanged();
  bool ExportWithDialog(int number);
  void ShowError(const QString& text);
  void UpdateRolling();
  void RollCurrent(int value);

  // What the application reports, through Follower.
  void ShowApplication(bool visible);
  void AddSheet(int number, const QString& name);
  void RemoveSheet(int number);
  void ChangeEntity(int number, const ObservedEntity& entity);
  void RemoveEntity(int number, EntityId id);
  void AssignView(int number, const ViewState& view);
  void ZoomExtents(int number);
  void SetShadeMode(int number, ShadeMode mode);
  void AddLogLine(int number, const QString& line);
  void ShowShortfalls(int number, const DrawingShortfalls& shortfalls);
  void Describe(int number, const DrawingDescription& description);
  // Before the window is first shown: beside the program's other windows rather than over
  // them, where the screen has room for it.
  void PlaceBesideOtherWindows();
  // The name, and what the drawing lacks: "Drawing2（不完整）".
  static QString TitleOf(const Sheet& sheet);
  // Whether the user still wants a drawing that lacks part of what was asked for exported.
  bool ExportDespiteShortfalls(const Sheet& sheet);

  OcctCadApplication& application_;
  std::function<void()> on_closed_;
  std::shared_ptr<Follower> follower_;
  std::vector<Sheet> sheets_;  // in tab order
  QTabWidget* tabs_ = nullptr;
  QLabel* empty_hint_ = nullptr;  // in place of the tabs while no drawing is open
  QPlainTextEdit* log_ = nullptr;
  QLineEdit* command_line_ = nullptr;
  QWidget* rolling_ = nullptr;  // the slider's row
  QSlider* rolling_slider_ = nullptr;
  QLabel* rolling_label_ = nullptr;
  QAction* mesh_action_ = nullptr;
  QString export_folder_;
  QList<QAction*> drawing_actions_;  // enabled only while a drawing is open
  bool exporting_ = false;           // the window, and its drawings, stay open meanwhile
  bool placed_ = false;              // placed beside the other windows on its first show
};

}  // namespace kelvo::cad
