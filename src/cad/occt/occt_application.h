#pragma once

#include <memory>
#include <vector>

#include "cad/cad_application.h"
#include "cad/occt/occt_document.h"
#include "cad/occt/occt_evaluation.h"
#include "cad/occt/occt_types.h"

// Kelvo's own CAD application: the operations of the classic automation interface on
// OpenCASCADE solids, usable without any display. This header has no OpenCASCADE in it; the
// 3D window follows an application through OcctObserver (cad/occt/occt_observer.h).

namespace kelvo::cad {

struct OcctApplicationState;
class OcctObserver;

class OcctDocuments final : public CadDocuments {
 public:
  explicit OcctDocuments(std::shared_ptr<OcctApplicationState> state);

  // A new, empty drawing named "Drawing<n>", which becomes the current one.
  std::shared_ptr<CadDocument> Add() override;
  std::shared_ptr<OcctDocument> AddDrawing();

  // The open drawings, oldest first.
  std::vector<std::shared_ptr<OcctDocument>> Open() const;
  // The newest open drawing, or null when none is open.
  std::shared_ptr<OcctDocument> Current() const;

 private:
  std::shared_ptr<OcctApplicationState> state_;
};

class OcctCadApplication final : public CadApplication {
 public:
  OcctCadApplication();
  ~OcctCadApplication() override;
  OcctCadApplication(const OcctCadApplication&) = delete;
  OcctCadApplication& operator=(const OcctCadApplication&) = delete;

  // Whether the application's 3D window should be shown; a new application is visible.
  // Showing it evaluates the deferred work of every drawing first.
  bool Visible() const override;
  void SetVisible(bool visible) override;
  OcctDocuments& Documents() override { return documents_; }

  // The observer (the 3D window) that follows this application from now on; it first hears
  // of everything that already exists. Held weakly: an observer that dies simply stops
  // hearing. Pass an empty pointer to detach.
  void SetObserver(const std::weak_ptr<OcctObserver>& observer);

  // How Booleans are evaluated from now on; a new application is Fast. Deferred work already
  // recorded stays and is evaluated as usual.
  void SetBooleanEvaluation(BooleanEvaluation evaluation);
  BooleanEvaluation GetBooleanEvaluation() const;
  // Who follows and may stop long evaluations from now on; empty hooks: nobody.
  void SetEvaluationHooks(EvaluationHooks hooks) override;
  // Applies the deferred work of every drawing now, the drawings' solids side by side.
  void Evaluate();

  // The implementation's state; opaque outside src/cad/occt.
  const std::shared_ptr<OcctApplicationState>& State() const { return state_; }

 private:
  std::shared_ptr<OcctApplicationState> state_;
  OcctDocuments documents_;
};

// An application with no window: for the command line and the tests.
std::shared_ptr<OcctCadApplication> MakeHeadlessCadApplication();

}  // namespace kelvo::cad
