// IBus's headers come first: GLib's structs have a field named `signals`, which Qt defines away.
#include <ibus.h>
#include <unistd.h>

#include "ibus_delivery.h"

#include <QGuiApplication>
#include <QWidget>

namespace lumeta {
namespace {

// Characters committed per turn of the event loop, so the window shows progress and 止める
// is heard on a long text.
constexpr std::size_t kChunk = 500;
// How long the window the user was in may take to get the focus back once Lumeta's window is
// hidden; a target that takes no text from an input method (an application without IBus
// support) ends the delivery after this.
constexpr int kFocusWaitMs = 2000;

}  // namespace

// The bus, the factory that makes Lumeta's engine on the daemon's request, and the engine the
// daemon uses now (null while none is made).
struct IBusDelivery::Glib {
  IBusBus* bus = nullptr;
  IBusFactory* factory = nullptr;
  IBusEngine* engine = nullptr;
  GCancellable* cancellable = g_cancellable_new();  // cancelled when the delivery object goes
  ~Glib() {
    g_cancellable_cancel(cancellable);
    g_object_unref(cancellable);
    if (factory) ibus_object_destroy(IBUS_OBJECT(factory));
    if (bus) g_object_unref(bus);
  }
};

namespace {

IBusDelivery* owner(gpointer data) {
  return static_cast<IBusDelivery*>(data);
}

void on_focus_in(IBusEngine*, const gchar* /*path*/, const gchar* client, gpointer data) {
  owner(data)->focused(client);
}

void on_focus_out(IBusEngine*, const gchar* /*path*/, gpointer data) {
  owner(data)->unfocused();
}

// Lumeta's engine lets every key through: it only commits what 送る hands it.
gboolean on_key(IBusEngine*, guint, guint, guint, gpointer) {
  return FALSE;
}

// The daemon asks the factory for an engine when it switches to Lumeta's. It is made with
// `has-focus-id`, so that it is told which input context gained the focus and for which client.
IBusEngine* on_create_engine(IBusFactory* factory, const gchar* name, gpointer data) {
  static int made = 0;
  const std::string path = "/org/freedesktop/IBus/Engine/Lumeta/" + std::to_string(++made);
  auto* engine = IBUS_ENGINE(g_object_new(
      IBUS_TYPE_ENGINE, "engine-name", name, "object-path", path.c_str(), "connection",
      ibus_service_get_connection(IBUS_SERVICE(factory)), "has-focus-id", TRUE, nullptr));
  g_signal_connect(engine, "focus-in-id", G_CALLBACK(on_focus_in), data);
  g_signal_connect(engine, "focus-out-id", G_CALLBACK(on_focus_out), data);
  g_signal_connect(engine, "process-key-event", G_CALLBACK(on_key), data);
  owner(data)->engine_created(engine);
  return engine;
}

void on_engine_destroyed(IBusEngine* engine, gpointer data) {
  owner(data)->engine_destroyed(engine);
}

// The daemon has switched to Lumeta's engine (or could not).
void on_switched(GObject* bus, GAsyncResult* result, gpointer data) {
  GError* error = nullptr;
  const bool ok = ibus_bus_set_global_engine_async_finish(IBUS_BUS(bus), result, &error);
  const bool gone = error && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
  if (error) g_error_free(error);
  if (!gone) owner(data)->switched(ok);
}

void on_connected(IBusBus*, gpointer data) {
  owner(data)->reachable();
}

}  // namespace

std::unique_ptr<IBusDelivery> IBusDelivery::open(QWidget* window) {
  return std::unique_ptr<IBusDelivery>(new IBusDelivery(window, std::make_unique<Glib>()));
}

IBusDelivery::IBusDelivery(QWidget* window, std::unique_ptr<Glib> glib)
    : window_(window), glib_(std::move(glib)), engine_name_("lumeta-" + std::to_string(getpid())) {
  focus_timer_.setSingleShot(true);
  focus_timer_.setInterval(kFocusWaitMs);
  connect(&focus_timer_, &QTimer::timeout, this, [this] { finish(Outcome::not_taken); });
  commit_timer_.setInterval(0);
  connect(&commit_timer_, &QTimer::timeout, this, &IBusDelivery::commit_chunk);
}

IBusDelivery::~IBusDelivery() {
  blockSignals(true);
  closing_ = true;  // the window goes too: it is not shown again
  stop();
  if (!glib_->bus) return;  // never used
  g_signal_handlers_disconnect_by_data(glib_->bus, this);
  if (glib_->engine) g_signal_handlers_disconnect_by_data(glib_->engine, this);
  if (glib_->factory) g_signal_handlers_disconnect_by_data(glib_->factory, this);
  if (ibus_bus_is_connected(glib_->bus)) {
    g_dbus_connection_flush_sync(ibus_bus_get_connection(glib_->bus), nullptr, nullptr);
  }
}

// The bus is made at the first 送る, not at start-up: connecting loads GIO and asks the
// session's D-Bus, which would delay the window's first frame.
bool IBusDelivery::open_bus() {
  if (glib_->bus) return true;
  ibus_init();
  glib_->bus = ibus_bus_new();
  if (!glib_->bus) return false;
  // A daemon started (or restarted) later is found then.
  g_signal_connect(glib_->bus, "connected", G_CALLBACK(on_connected), this);
  return true;
}

bool IBusDelivery::reachable() {
  if (!open_bus() || !ibus_bus_is_connected(glib_->bus)) {
    registered_ = false;
    return false;
  }
  if (!registered_) registered_ = register_engine();
  return registered_;
}

// The component and its one engine, described in the program: the daemon lists them for this
// connection only, and forgets them when Lumeta goes.
bool IBusDelivery::register_engine() {
  GDBusConnection* connection = ibus_bus_get_connection(glib_->bus);
  if (glib_->factory) {
    g_signal_handlers_disconnect_by_data(glib_->factory, this);
    ibus_object_destroy(IBUS_OBJECT(glib_->factory));
  }
  glib_->engine = nullptr;
  glib_->factory = ibus_factory_new(connection);
  g_signal_connect(glib_->factory, "create-engine", G_CALLBACK(on_create_engine), this);
  ibus_factory_add_engine(glib_->factory, engine_name_.c_str(), IBUS_TYPE_ENGINE);
  const std::string name = "org.lumeta.Lumeta.Send." + std::to_string(getpid());
  IBusComponent* component = ibus_component_new(name.c_str(), "Lumeta's 送る", "1",
                                                "GPL-3.0-or-later", "Lumeta", "", "", "lumeta");
  ibus_component_add_engine(
      component, ibus_engine_desc_new_varargs("name", engine_name_.c_str(), "longname", "Lumeta",
                                              "description", "Lumeta's 送る", "language", "ja",
                                              "layout", "default", "rank", 0, nullptr));
  const bool ok = ibus_bus_register_component(glib_->bus, component);
  g_object_unref(component);
  return ok;
}

// The daemon makes a new engine at each switch to Lumeta's and may destroy the old one later.
void IBusDelivery::engine_created(void* engine) {
  glib_->engine = static_cast<IBusEngine*>(engine);
  g_signal_connect(glib_->engine, "destroy", G_CALLBACK(on_engine_destroyed), this);
}

void IBusDelivery::engine_destroyed(void* engine) {
  g_signal_handlers_disconnect_by_data(engine, this);
  if (glib_->engine == engine) glib_->engine = nullptr;
}

void IBusDelivery::start(const QString& text) {
  if (running()) return;
  const int total = static_cast<int>(text.toStdU32String().size());
  if (!reachable()) {
    emit finished(Outcome::not_taken, 0, total);
    return;
  }
  previous_engine_.clear();
  if (IBusEngineDesc* previous = ibus_bus_get_global_engine(glib_->bus)) {
    previous_engine_ = ibus_engine_desc_get_name(previous);
    g_object_unref(previous);
  }
  text_ = text.toStdU32String();
  committed_ = 0;
  // Switching from this process must not wait for the answer: the daemon asks this process's
  // factory for the engine first. The engine is told of the context that has the focus now
  // (Lumeta's own, or the daemon's stand-in "fake"), then, once Lumeta's window is hidden and
  // the desktop has given the focus back to the window the user was in, of that window's.
  phase_ = Phase::switching;
  ibus_bus_set_global_engine_async(glib_->bus, engine_name_.c_str(), -1, glib_->cancellable,
                                   on_switched, this);
  focus_timer_.start();
  emit progress(0, total);
}

void IBusDelivery::switched(bool ok) {
  if (phase_ != Phase::switching) return;
  if (!ok) {
    finish(Outcome::not_taken);
    return;
  }
  phase_ = Phase::waiting_for_focus;
  window_->hide();
}

// Only a notice that comes after Lumeta's window was hidden is for the target, and only one for
// a real client: "fake" is the daemon's stand-in when no context has the focus.
void IBusDelivery::focused(const char* client) {
  if (phase_ != Phase::waiting_for_focus) return;
  if (!client || g_strcmp0(client, "fake") == 0) return;
  focus_timer_.stop();
  phase_ = Phase::committing;
  commit_timer_.start();
}

// The target lost the focus half-way (the user clicked elsewhere, the window closed).
void IBusDelivery::unfocused() {
  if (phase_ == Phase::committing) finish(Outcome::stopped);
}

void IBusDelivery::commit_chunk() {
  if (phase_ != Phase::committing || !glib_->engine) {
    finish(Outcome::stopped);
    return;
  }
  const std::size_t end = std::min(text_.size(), committed_ + kChunk);
  const QString part = QString::fromStdU32String(text_.substr(committed_, end - committed_));
  const QByteArray utf8 = part.toUtf8();
  ibus_engine_commit_text(glib_->engine, ibus_text_new_from_string(utf8.constData()));
  committed_ = end;
  emit progress(static_cast<int>(committed_), static_cast<int>(text_.size()));
  if (committed_ == text_.size()) finish(Outcome::delivered);
}

void IBusDelivery::stop() {
  if (running()) finish(Outcome::stopped);
}

void IBusDelivery::finish(Outcome outcome) {
  focus_timer_.stop();
  commit_timer_.stop();
  phase_ = Phase::idle;
  // The commits went before on the same connection, so the daemon hands them on first.
  if (!previous_engine_.empty() && previous_engine_ != engine_name_) {
    ibus_bus_set_global_engine_async(glib_->bus, previous_engine_.c_str(), -1, nullptr, nullptr,
                                     nullptr);
  }
  // On X11 a text nothing took goes on to XTest, which must find the target still focused; on
  // Wayland the next routes want Lumeta in front (the clipboard is set by the focused client).
  if (!closing_) {
    come_back(outcome != Outcome::not_taken ||
              QGuiApplication::platformName() != QLatin1String("xcb"));
  }
  const int total = static_cast<int>(text_.size());
  const int delivered = static_cast<int>(committed_);
  text_.clear();
  emit finished(outcome, delivered, total);
}

// Lumeta's window comes back, in front and with the focus, so the user can go on typing; or,
// when `activate` is false, behind the focused window.
void IBusDelivery::come_back(bool activate) {
  window_->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
  window_->show();
  window_->setAttribute(Qt::WA_ShowWithoutActivating, false);
  if (!activate) return;
  window_->raise();
  window_->activateWindow();
}

}  // namespace lumeta
