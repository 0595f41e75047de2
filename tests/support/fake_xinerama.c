/* Stand-in for libXinerama.so.1 so that Wine sees several monitors on one
   Xvfb screen. Heads come from CLEARPANE_HEADS, e.g.
   "1280x1024+0+0,1920x1080+1280+0". Wine only calls the two functions below. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct {
    int screen_number;
    short x_org;
    short y_org;
    short width;
    short height;
} XineramaScreenInfo;

int XineramaQueryExtension(void *display, int *event_base, int *error_base) {
    (void)display;
    *event_base = 0;
    *error_base = 0;
    return getenv("CLEARPANE_HEADS") != NULL;
}

int XineramaIsActive(void *display) {
    (void)display;
    return getenv("CLEARPANE_HEADS") != NULL;
}

XineramaScreenInfo *XineramaQueryScreens(void *display, int *count) {
    const char *layout = getenv("CLEARPANE_HEADS");
    XineramaScreenInfo *heads = calloc(16, sizeof *heads);
    int n = 0;
    (void)display;
    while (heads && layout && *layout && n < 16) {
        int w, h, x, y, used = 0;
        if (sscanf(layout, "%dx%d+%d+%d%n", &w, &h, &x, &y, &used) != 4) break;
        heads[n].screen_number = n;
        heads[n].x_org = (short)x;
        heads[n].y_org = (short)y;
        heads[n].width = (short)w;
        heads[n].height = (short)h;
        n++;
        layout += used;
        if (*layout == ',') layout++;
    }
    *count = n;
    return heads;
}
