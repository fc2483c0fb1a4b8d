// Clicks on a Wayland compositor through the wlroots virtual pointer protocol: moves the
// pointer to each X,Y of the output (WIDTH x HEIGHT) given and clicks the left button there.
//   pointer_click WIDTH HEIGHT X,Y [X,Y ...]
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>

#include "virtual-pointer-v1.h"

static struct zwlr_virtual_pointer_manager_v1* manager;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
  (void)data;
  (void)version;
  if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
    manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
  }
}
static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
  (void)data;
  (void)registry;
  (void)name;
}
static const struct wl_registry_listener listener = {global, global_remove};

static uint32_t now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

int main(int argc, char** argv) {
  unsigned width, height;
  if (argc < 4 || sscanf(argv[1], "%u", &width) != 1 || sscanf(argv[2], "%u", &height) != 1) {
    fprintf(stderr, "usage: pointer_click WIDTH HEIGHT X,Y [X,Y ...]\n");
    return 2;
  }
  struct wl_display* display = wl_display_connect(NULL);
  if (!display) return 1;
  wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
  wl_display_roundtrip(display);
  if (!manager) {
    fprintf(stderr, "no virtual pointer here\n");
    return 1;
  }
  struct zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, NULL);
  for (int i = 3; i < argc; ++i) {
    unsigned x, y;
    if (sscanf(argv[i], "%u,%u", &x, &y) != 2) return 2;
    zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), x, y, width, height);
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_roundtrip(display);
    usleep(100000);
    zwlr_virtual_pointer_v1_button(pointer, now_ms(), BTN_LEFT, 1);
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_roundtrip(display);
    usleep(50000);
    zwlr_virtual_pointer_v1_button(pointer, now_ms(), BTN_LEFT, 0);
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_roundtrip(display);
    usleep(300000);
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
