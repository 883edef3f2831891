#include "screen/DesktopOutputs.h"

#include <wayland-client.h>

#include <cstring>

int CountDesktopMonitors()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return -1;
    int monitors = 0;
    wl_registry* registry = wl_display_get_registry(display);
    static const wl_registry_listener kListener = {
        [](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
            if (std::strcmp(interface, wl_output_interface.name) == 0)
                ++*static_cast<int*>(data);
        },
        [](void*, wl_registry*, uint32_t) {},
    };
    const bool listed = registry && wl_registry_add_listener(registry, &kListener, &monitors) == 0
        && wl_display_roundtrip(display) >= 0;
    if (registry)
        wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return listed ? monitors : -1;
}
