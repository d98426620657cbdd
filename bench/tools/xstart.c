/* Times a program's start-up to its window: runs the command, waits for a top-level window
 * titled exactly TITLE to be mapped, prints the milliseconds from launch to that moment, then
 * asks the window to close (WM_DELETE_WINDOW, as a window manager's close button does) and
 * waits for the program to end. A second figure is the CPU time the program's threads had used
 * by then (from /proc/PID/task/TID/schedstat), which a busy machine disturbs far less than the
 * elapsed time.
 *
 *   xstart TITLE TIMEOUT_SECONDS COMMAND [ARGUMENTS...]
 *
 * It listens for the X server's map events rather than polling, so the figure carries no
 * polling interval. With no window manager (Xvfb), top-level windows are children of the root.
 * Exit status: 0 when the window showed and the program ended, 1 on a timeout (the program is
 * then killed), 2 on a usage or X error. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dirent.h>
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double NowMs(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

static int IgnoreXErrors(Display* dpy, XErrorEvent* e) {
    (void)dpy;
    (void)e; /* a window that went away between the event and the query */
    return 0;
}

static int HasTitle(Display* dpy, Window w, const char* title) {
    char* name = NULL;
    int match = 0;
    if (XFetchName(dpy, w, &name) && name) {
        match = strcmp(name, title) == 0;
        XFree(name);
    }
    if (!match) {
        /* _NET_WM_NAME, UTF-8 */
        Atom netName = XInternAtom(dpy, "_NET_WM_NAME", False);
        Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
        Atom type;
        int format;
        unsigned long n, after;
        unsigned char* data = NULL;
        if (XGetWindowProperty(dpy, w, netName, 0, 1024, False, utf8, &type, &format, &n, &after,
                               &data) == Success &&
            data) {
            match = strcmp((char*)data, title) == 0;
            XFree(data);
        }
    }
    return match;
}

static int IsShown(Display* dpy, Window w) {
    XWindowAttributes a;
    return XGetWindowAttributes(dpy, w, &a) && a.map_state == IsViewable;
}

/* CPU time, in milliseconds, used so far by every thread of the process. */
static double ProcessCpuMs(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/task", (int)pid);
    DIR* dir = opendir(path);
    if (!dir)
        return -1;
    double total = 0;
    struct dirent* e;
    while ((e = readdir(dir)) != NULL) {
        if (e->d_name[0] == '.')
            continue;
        char file[400];
        snprintf(file, sizeof file, "%s/%s/schedstat", path, e->d_name);
        FILE* f = fopen(file, "r");
        unsigned long long ns = 0;
        if (f) {
            if (fscanf(f, "%llu", &ns) == 1)
                total += ns / 1e6;
            fclose(f);
        }
    }
    closedir(dir);
    return total;
}

/* Waits for the child up to `seconds`; 1 when it ended. */
static int WaitChild(pid_t pid, double seconds) {
    double end = NowMs() + seconds * 1e3;
    for (;;) {
        int status;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD))
            return 1;
        if (NowMs() > end)
            return 0;
        struct timespec nap = {0, 5 * 1000 * 1000};
        nanosleep(&nap, NULL);
    }
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: xstart TITLE TIMEOUT_SECONDS COMMAND [ARGUMENTS...]\n");
        return 2;
    }
    const char* title = argv[1];
    double timeout = atof(argv[2]);
    Display* dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "xstart: cannot open display\n");
        return 2;
    }
    XSetErrorHandler(IgnoreXErrors);
    Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    double t0 = NowMs();
    pid_t pid = fork();
    if (pid < 0)
        return 2;
    if (pid == 0) {
        execvp(argv[3], argv + 3);
        _exit(127);
    }

    Window found = 0;
    double shown = 0;
    int fd = ConnectionNumber(dpy);
    while (!found) {
        while (!found && XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            double t = NowMs();
            Window w = 0;
            if (ev.type == MapNotify)
                w = ev.xmap.window;
            else if (ev.type == CreateNotify)
                /* the title may be set after the mapping: watch the window's properties */
                XSelectInput(dpy, ev.xcreatewindow.window, PropertyChangeMask);
            else if (ev.type == PropertyNotify)
                w = ev.xproperty.window;
            if (w && HasTitle(dpy, w, title) && IsShown(dpy, w)) {
                found = w;
                shown = t;
            }
        }
        if (found)
            break;
        double left = t0 + timeout * 1e3 - NowMs();
        if (left <= 0 || waitpid(pid, NULL, WNOHANG) == pid) {
            fprintf(stderr, "xstart: no window \"%s\"\n", title);
            kill(pid, SIGKILL);
            waitpid(pid, NULL, 0);
            return 1;
        }
        struct pollfd p = {fd, POLLIN, 0};
        poll(&p, 1, left < 50 ? (int)left + 1 : 50);
    }
    printf("%.1f %.1f\n", shown - t0, ProcessCpuMs(pid));
    fflush(stdout);

    XEvent close;
    memset(&close, 0, sizeof close);
    close.xclient.type = ClientMessage;
    close.xclient.window = found;
    close.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = (long)XInternAtom(dpy, "WM_DELETE_WINDOW", False);
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, found, False, NoEventMask, &close);
    XFlush(dpy);
    if (!WaitChild(pid, timeout)) {
        fprintf(stderr, "xstart: the program did not end after its window was closed\n");
        kill(pid, SIGKILL);
        waitpid(pid, NULL, 0);
        return 1;
    }
    XCloseDisplay(dpy);
    return 0;
}
