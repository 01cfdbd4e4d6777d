// SPDX-License-Identifier: MIT
/* Presses keys in a KWin Wayland session through org_kde_kwin_fake_input (offered when KWin runs
 * with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1), as a keyboard would.
 *   fake_keys CODE...    presses the evdev key codes in order, then releases them in reverse
 *   fake_keys -h MS CODE...  the same, holding the keys down for MS milliseconds
 *   fake_keys click X Y  moves the pointer to X, Y and clicks the left button */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"

static struct org_kde_kwin_fake_input *fake;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                   uint32_t version) {
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}
static void global_remove(void *data, struct wl_registry *registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}
static const struct wl_registry_listener listener = {global, global_remove};

int main(int argc, char **argv) {
    struct wl_display *display = wl_display_connect(NULL);
    if (display == NULL || argc < 2) {
        fprintf(stderr, "usage: fake_keys CODE... | click X Y (in a KWin Wayland session)\n");
        return 2;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
    wl_display_roundtrip(display);
    if (fake == NULL) {
        fprintf(stderr, "fake_keys: KWin offers no org_kde_kwin_fake_input version 4\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fake, "codalume tests", "end-to-end tests");
    if (strcmp(argv[1], "click") == 0 && argc == 4) {
        org_kde_kwin_fake_input_pointer_motion_absolute(fake, wl_fixed_from_int(atoi(argv[2])),
                                                        wl_fixed_from_int(atoi(argv[3])));
        org_kde_kwin_fake_input_button(fake, 0x110 /* BTN_LEFT */, 1);
        org_kde_kwin_fake_input_button(fake, 0x110, 0);
    } else {
        int first = 1, hold_ms = 0;
        if (strcmp(argv[1], "-h") == 0 && argc > 3) {
            hold_ms = atoi(argv[2]);
            first = 3;
        }
        for (int i = first; i < argc; ++i)
            org_kde_kwin_fake_input_keyboard_key(fake, (uint32_t)atoi(argv[i]), 1);
        wl_display_roundtrip(display);
        usleep((useconds_t)hold_ms * 1000);
        for (int i = argc - 1; i >= first; --i)
            org_kde_kwin_fake_input_keyboard_key(fake, (uint32_t)atoi(argv[i]), 0);
    }
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
