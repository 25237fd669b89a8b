#include "cad/viewer/drawing_view.h"

#include <AIS_InteractiveContext.hxx>
#include <AIS_Shape.hxx>
#include <AIS_ViewController.hxx>
#include <Aspect_DisplayConnection.hxx>
#include <Aspect_NeutralWindow.hxx>
#include <Bnd_Box.hxx>
#include <Graphic3d_Camera.hxx>
#include <Graphic3d_MaterialAspect.hxx>
#include <OpenGl_Context.hxx>
#include <OpenGl_FrameBuffer.hxx>
#include <OpenGl_GraphicDriver.hxx>
#include <OpenGl_View.hxx>
#include <OpenGl_Window.hxx>
#include <Precision.hxx>
#include <Prs3d_Drawer.hxx>
#include <Prs3d_IsoAspect.hxx>
#include <QMouseEvent>
#include <QWheelEvent>
#include <Standard_Failure.hxx>
#include <TopLoc_Location.hxx>
#include <V3d_AmbientLight.hxx>
#include <V3d_DirectionalLight.hxx>
#include <V3d_View.hxx>
#include <V3d_Viewer.hxx>
#include <array>
#include <cmath>
#include <gp_Ax1.hxx>
#include <gp_Trsf.hxx>
#include <limits>
#include <map>
#include <optional>

#include "cad/occt/occt_observer.h"

namespace kelvo::cad {
namespace {

Quantity_Color Srgb(int red, int green, int blue) {
  return Quantity_Color(red / 255.0, green / 255.0, blue / 255.0, Quantity_TOC_sRGB);
}

// A dark, even background, as in the CAD application's model space: red circles and light
// solids stand out, and an empty pixel is easy to tell from a drawn one.
const Quantity_Color kBackground = Srgb(33, 40, 48);
// Entities whose colour is "as the layer": light grey curves and edges, steel-grey solids.
const Quantity_Color kCurveByLayer = Srgb(230, 230, 230);
const Quantity_Color kSolidByLayer = Srgb(176, 184, 194);

// The first entries of the classic 256-colour table; the rest draw as the layer.
Quantity_Color ColourOfIndex(int index, const Quantity_Color& by_layer) {
  struct Rgb {
    int red, green, blue;
  };
  static constexpr std::array<Rgb, 9> kIndexed = {{{255, 0, 0},
                                                   {255, 255, 0},
                                                   {0, 255, 0},
                                                   {0, 255, 255},
                                                   {0, 0, 255},
                                                   {255, 0, 255},
                                                   {255, 255, 255},
                                                   {128, 128, 128},
                                                   {192, 192, 192}}};
  if (index < 1 || index > static_cast<int>(kIndexed.size())) return by_layer;
  const Rgb& rgb = kIndexed[static_cast<std::size_t>(index - 1)];
  return Srgb(rgb.red, rgb.green, rgb.blue);
}

// Margin left around the model by a zoom to extents, as a fraction of the view.
constexpr double kZoomMargin = 0.05;

// The lights travel with the camera. OpenCASCADE's default headlight shines straight along
// the view, so the three faces of a box seen from (1, 1, 1) meet it at the same angle and
// come out equally bright: the solid looks flat. A key light from the upper left behind the
// viewer and a weaker fill from the right give the top, left and right faces three clearly
// different brightnesses, and the ambient part keeps faces turned away from both readable.
// Directions are in view space (x right, y up, z toward the viewer), pointing where the
// light travels.
void AddLights(V3d_Viewer& viewer) {
  Handle(V3d_AmbientLight) ambient = new V3d_AmbientLight(Quantity_NOC_WHITE);
  ambient->SetIntensity(0.35f);
  Handle(V3d_DirectionalLight) key =
      new V3d_DirectionalLight(gp_Dir(0.45, -0.55, -0.70), Quantity_NOC_WHITE, Standard_True);
  key->SetIntensity(0.75f);
  Handle(V3d_DirectionalLight) fill =
      new V3d_DirectionalLight(gp_Dir(-0.60, -0.10, -0.80), Quantity_NOC_WHITE, Standard_True);
  fill->SetIntensity(0.30f);
  for (const Handle(V3d_Light) & light :
       {Handle(V3d_Light)(ambient), Handle(V3d_Light)(key), Handle(V3d_Light)(fill)}) {
    viewer.AddLight(light);
    viewer.SetLightOn(light);
  }
}

// Qt's framebuffer object, wrapped as OpenCASCADE's default one on every paint. Qt's buffer
// is not sRGB-encoded, so OpenCASCADE must encode the colours itself when it draws.
class QtFrameBuffer : public OpenGl_FrameBuffer {
  DEFINE_STANDARD_RTTI_INLINE(QtFrameBuffer, OpenGl_FrameBuffer)

 public:
  void BindBuffer(const Handle(OpenGl_Context) & gl) override {
    OpenGl_FrameBuffer::BindBuffer(gl);
    gl->SetFrameBufferSRGB(true, false);
  }
  void BindDrawBuffer(const Handle(OpenGl_Context) & gl) override {
    OpenGl_FrameBuffer::BindDrawBuffer(gl);
    gl->SetFrameBufferSRGB(true, false);
  }
};

Aspect_VKeyMouse MouseButtons(Qt::MouseButtons buttons) {
  Aspect_VKeyMouse keys = Aspect_VKeyMouse_NONE;
  if (buttons & Qt::LeftButton) keys |= Aspect_VKeyMouse_LeftButton;
  if (buttons & Qt::MiddleButton) keys |= Aspect_VKeyMouse_MiddleButton;
  if (buttons & Qt::RightButton) keys |= Aspect_VKeyMouse_RightButton;
  return keys;
}

Aspect_VKeyFlags KeyFlags(Qt::KeyboardModifiers modifiers) {
  Aspect_VKeyFlags flags = Aspect_VKeyFlags_NONE;
  if (modifiers & Qt::ShiftModifier) flags |= Aspect_VKeyFlags_SHIFT;
  if (modifiers & Qt::ControlModifier) flags |= Aspect_VKeyFlags_CTRL;
  if (modifiers & Qt::AltModifier) flags |= Aspect_VKeyFlags_ALT;
  return flags;
}

}  // namespace

struct DrawingView::Scene : public AIS_ViewController {
  struct Item {
    ObservedEntity entity;
    Handle(AIS_Shape) shown;
    bool stale = true;  // entity changed since shown was last computed
  };

  explicit Scene(DrawingView& owner) : widget(owner) {
    display = new Aspect_DisplayConnection();
    Handle(OpenGl_GraphicDriver) driver = new OpenGl_GraphicDriver(display, false);
    driver->ChangeOptions().buffersNoSwap = true;       // Qt swaps the buffers
    driver->ChangeOptions().buffersOpaqueAlpha = true;  // Qt composes the widget opaque
    driver->ChangeOptions().useSystemBuffer = false;
    viewer = new V3d_Viewer(driver);
    viewer->SetDefaultBackgroundColor(kBackground);
    AddLights(*viewer);
    context = new AIS_InteractiveContext(viewer);
    view = viewer->CreateView();
    view->SetImmediateUpdate(false);
    view->SetShadingModel(Graphic3d_TypeOfShadingModel_Gouraud);
    // Nothing here is picked: no hover highlight, and no selection structures to build for
    // gears with thousands of faces.
    SetAllowHighlight(false);
  }

  // Turns stale entities into presentations and puts solids in the current shade mode.
  void Present() {
    const int solid_mode = shade == ShadeMode::Gouraud ? AIS_Shaded : AIS_WireFrame;
    for (auto& [id, item] : items) {
      const bool solid = item.entity.kind == EntityKind::Solid;
      const int mode = solid ? solid_mode : AIS_WireFrame;
      if (item.stale) {
        const bool first = item.shown.IsNull();
        if (first) {
          item.shown = new AIS_Shape(item.entity.shape);
        } else {
          item.shown->SetShape(item.entity.shape);
        }
        Style(item);
        if (first) {
          item.shown->SetDisplayMode(mode);
          context->Display(item.shown, mode, -1, false);
        } else {
          context->Redisplay(item.shown, false);
        }
        item.stale = false;
      }
      if (item.shown->DisplayMode() != mode) context->SetDisplayMode(item.shown, mode, false);
    }
    if (motion) Place();
  }

  // The rolled gears' turns, put on their presentations.
  void Place() {
    const double small = rolled;
    const double large = -rolled * motion->z1 / std::max(motion->z2, 1);
    auto turn = [](const Point& centre, double angle) {
      gp_Trsf trsf;
      trsf.SetRotation(gp_Ax1(gp_Pnt(centre.x, centre.y, centre.z), gp::DZ()), angle);
      return TopLoc_Location(trsf);
    };
    const TopLoc_Location at_small = turn(motion->small_centre, small);
    const TopLoc_Location at_large = turn(motion->large_centre, large);
    for (auto& [id, item] : items) {
      if (item.shown.IsNull()) continue;
      if (id == motion->small_solid || id == motion->small_circle) {
        context->SetLocation(item.shown, at_small);
      } else if (id == motion->large_solid || id == motion->large_circle) {
        context->SetLocation(item.shown, at_large);
      }
    }
  }

  static void Style(Item& item) {
    const bool solid = item.entity.kind == EntityKind::Solid;
    if (solid)
      item.shown->SetMaterial(Graphic3d_MaterialAspect(Graphic3d_NameOfMaterial_Plastered));
    item.shown->SetColor(ColourOfIndex(item.entity.color, solid ? kSolidByLayer : kCurveByLayer));
    // SetColor gives the shape iso-line aspects of its own with one line each way; a wireframe
    // shows only the true edges, as the CAD application's does.
    item.shown->Attributes()->UIsoAspect()->SetNumber(0);
    item.shown->Attributes()->VIsoAspect()->SetNumber(0);
    if (!solid) item.shown->SetWidth(1.5);
  }

  void handleViewRedraw(const Handle(AIS_InteractiveContext) & ctx,
                        const Handle(V3d_View) & v3d_view) override {
    AIS_ViewController::handleViewRedraw(ctx, v3d_view);
    if (toAskNextFrame()) widget.update();  // a rotation or zoom still under way
  }

  DrawingView& widget;
  Handle(Aspect_DisplayConnection) display;
  Handle(V3d_Viewer) viewer;
  Handle(AIS_InteractiveContext) context;
  Handle(V3d_View) view;
  std::map<EntityId, Item> items;
  ShadeMode shade = ShadeMode::Wireframe;
  std::optional<MeshMotion> motion;  // a mesh drawing being rolled
  double rolled = 0;
  bool fit_pending = false;
  bool drawing = false;  // OpenCASCADE draws into Qt's context
  bool failed = false;   // it could not; the view stays empty
};

DrawingView::DrawingView(QWidget* parent)
    : QOpenGLWidget(parent), scene_(std::make_unique<Scene>(*this)) {
  setFormat(SurfaceFormat());
  setUpdateBehavior(QOpenGLWidget::NoPartialUpdate);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  SetView(ViewState{});
}

QSurfaceFormat DrawingView::SurfaceFormat() {
  QSurfaceFormat format = QSurfaceFormat::defaultFormat();
  format.setDepthBufferSize(24);
  format.setStencilBufferSize(8);
  return format;
}

DrawingView::~DrawingView() {
  // OpenCASCADE releases its GL resources in Qt's context, which must be current, and over
  // its own X connection, which must outlive that.
  Handle(Aspect_DisplayConnection) display = scene_->display;
  makeCurrent();
  scene_->context->RemoveAll(false);
  scene_->view->Remove();
  scene_.reset();
  doneCurrent();
}

void DrawingView::SetEntity(const ObservedEntity& entity) {
  Scene::Item& item = scene_->items[entity.id];
  item.entity = entity;
  item.stale = true;
  update();
}

void DrawingView::RemoveEntity(EntityId id) {
  const auto found = scene_->items.find(id);
  if (found == scene_->items.end()) return;
  if (!found->second.shown.IsNull()) scene_->context->Remove(found->second.shown, false);
  scene_->items.erase(found);
  update();
}

void DrawingView::SetView(const ViewState& state) {
  const Handle(Graphic3d_Camera)& camera = scene_->view->Camera();
  const gp_Dir back(state.direction.x, state.direction.y, state.direction.z);
  const gp_Pnt centre(state.center.x, state.center.y, state.center.z);
  camera->SetEyeAndCenter(centre.Translated(gp_Vec(back) * camera->Distance()), centre);
  // Z stays upright on the screen, as in the CAD application's isometric views.
  camera->SetUp(back.IsParallel(gp::DZ(), Precision::Angular()) ? gp::DY() : gp::DZ());
  camera->OrthogonalizeUp();
  scene_->view->Invalidate();
  update();
}

void DrawingView::Roll(const MeshMotion& motion, double small_turn) {
  scene_->motion = motion;
  scene_->rolled = small_turn;
  scene_->Place();
  scene_->view->Invalidate();
  update();
}

double DrawingView::RolledBy() const {
  return scene_->rolled;
}

void DrawingView::ZoomExtents() {
  scene_->fit_pending = true;
  update();
}

void DrawingView::SetShadeMode(ShadeMode mode) {
  scene_->shade = mode;
  update();
}

ShadeMode DrawingView::Shading() const {
  return scene_->shade;
}

bool DrawingView::IsDrawing() const {
  return scene_->drawing;
}

QPointF DrawingView::PixelOf(const Point& world) const {
  if (!scene_->drawing) {
    return {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()};
  }
  int x = 0;
  int y = 0;
  scene_->view->Convert(world.x, world.y, world.z, x, y);
  const double ratio = devicePixelRatioF();
  return {x / ratio, y / ratio};
}

void DrawingView::initializeGL() {
  Scene& scene = *scene_;
  try {
    Handle(OpenGl_Context) gl = new OpenGl_Context();
    if (!gl->Init(false)) {
      scene.failed = true;
      return;
    }
    // The top-level window's handle: asking this widget for its own would make it a native
    // child, and Qt would stop drawing the tab bar and menus around it.
    const auto handle = static_cast<Aspect_Drawable>(window()->winId());
    Handle(Aspect_NeutralWindow) host =
        Handle(Aspect_NeutralWindow)::DownCast(scene.view->Window());
    if (host.IsNull()) {
      host = new Aspect_NeutralWindow();
      host->SetVirtual(true);
    }
    host->SetNativeHandle(handle);
    const qreal ratio = devicePixelRatioF();
    host->SetSize(static_cast<int>(width() * ratio), static_cast<int>(height() * ratio));
    scene.view->SetWindow(host, gl->RenderingContext());
    scene.drawing = true;
  } catch (const Standard_Failure&) {
    scene.failed = true;
    scene.drawing = false;
  }
}

void DrawingView::paintGL() {
  Scene& scene = *scene_;
  if (!scene.drawing) return;
  try {
    const Handle(OpenGl_Context)& gl =
        Handle(OpenGl_View)::DownCast(scene.view->View())->GlWindow()->GetGlContext();
    Handle(OpenGl_FrameBuffer) buffer = gl->DefaultFrameBuffer();
    if (buffer.IsNull()) {
      buffer = new QtFrameBuffer();
      gl->SetDefaultFrameBuffer(buffer);
    }
    if (!buffer->InitWrapper(gl)) {
      scene.drawing = false;
      scene.failed = true;
      return;
    }
    Handle(Aspect_NeutralWindow) host =
        Handle(Aspect_NeutralWindow)::DownCast(scene.view->Window());
    Graphic3d_Vec2i size;
    host->Size(size.x(), size.y());
    if (buffer->GetVPSize() != size) {
      host->SetSize(buffer->GetVPSize().x(), buffer->GetVPSize().y());
      scene.view->MustBeResized();
      scene.view->Invalidate();
    }
    scene.Present();
    if (scene.fit_pending) {
      scene.view->FitAll(kZoomMargin, false);
      // The fit puts the eye as far from the model as the model is deep; a drawing of flat
      // curves alone (a reference circle) would have it in their plane, where they vanish.
      const Bnd_Box box = scene.view->View()->MinMaxValues();
      const double extent = box.IsVoid() ? 0 : std::sqrt(box.SquareExtent());
      scene.view->Camera()->SetDistance(std::max(extent, 1.0) * 2);
      scene.fit_pending = false;
    }
    // Every paint draws the scene anew. Left to itself, OpenCASCADE redraws only a view it
    // knows to be invalid (a camera change) and otherwise copies the frame it kept: a new shade
    // mode, a new or changed shape would wait for the next rotation or drag, on any driver.
    scene.view->Invalidate();
    scene.FlushViewEvents(scene.context, scene.view, true);
  } catch (const Standard_Failure&) {
    // A frame that cannot be drawn leaves the last one on screen; the model is unaffected.
  }
}

namespace {
Graphic3d_Vec2i DevicePoint(const QWidget& widget, const QPointF& position) {
  const qreal ratio = widget.devicePixelRatioF();
  return Graphic3d_Vec2i(static_cast<int>(position.x() * ratio),
                         static_cast<int>(position.y() * ratio));
}
}  // namespace

void DrawingView::mousePressEvent(QMouseEvent* event) {
  if (scene_->UpdateMouseButtons(DevicePoint(*this, event->position()),
                                 MouseButtons(event->buttons()), KeyFlags(event->modifiers()),
                                 false)) {
    update();
  }
}

void DrawingView::mouseReleaseEvent(QMouseEvent* event) {
  mousePressEvent(event);  // the controller compares the buttons still held with the last
}

void DrawingView::mouseMoveEvent(QMouseEvent* event) {
  if (scene_->UpdateMousePosition(DevicePoint(*this, event->position()),
                                  MouseButtons(event->buttons()), KeyFlags(event->modifiers()),
                                  false)) {
    update();
  }
}

void DrawingView::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (scene_->UpdateMouseScroll(Aspect_ScrollDelta(DevicePoint(*this, event->position()), notches,
                                                   KeyFlags(event->modifiers())))) {
    update();
  }
}

}  // namespace kelvo::cad
