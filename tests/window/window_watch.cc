// Checks, from outside, that a program shows its waiting window while it
// works (Linux with X11; for scripts/ci_gui.sh, also with the Windows build
// under Wine).
//
//   window_watch --folder DIR --caption Form1 --size 280x179
//                --text-area 64,64,177,53 [--shot FILE.ppm] -- COMMAND [ARG...]
//
// Runs COMMAND in its own process group and holds the whole group (SIGSTOP)
// as soon as the first file appears in DIR: the work has begun, so the window
// must already be on the screen, painted. While the program is held it checks
// that exactly one viewable window has the caption, that its client area has
// the size, and that the text area shows dark text on a light ground, none of
// it at or past the area's right edge (a label cut or running over); then lets the
// program go on and checks that it ends with status 0 and that the window is
// gone. Exits 0 only when every check passed; a missing display is a failure.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Options {
  std::string folder, caption, shot;
  int width = 0, height = 0;
  int text_x = 0, text_y = 0, text_width = 0, text_height = 0;
  std::vector<char*> command;
};

[[noreturn]] void usage(const char* why) {
  std::cerr << "window_watch: " << why
            << "\nusage: window_watch --folder DIR --caption TEXT --size WxH --text-area X,Y,W,H"
               " [--shot FILE.ppm] -- COMMAND [ARG...]\n";
  std::exit(2);
}

Options parse(int argc, char** argv) {
  Options options;
  int i = 1;
  for (; i < argc && std::strcmp(argv[i], "--") != 0; i += 2) {
    if (i + 1 >= argc) usage("an option lacks its value");
    std::string name = argv[i], value = argv[i + 1];
    if (name == "--folder") {
      options.folder = value;
    } else if (name == "--caption") {
      options.caption = value;
    } else if (name == "--shot") {
      options.shot = value;
    } else if (name == "--size") {
      if (std::sscanf(value.c_str(), "%dx%d", &options.width, &options.height) != 2)
        usage("--size wants WxH");
    } else if (name == "--text-area") {
      if (std::sscanf(value.c_str(), "%d,%d,%d,%d", &options.text_x, &options.text_y,
                      &options.text_width, &options.text_height) != 4)
        usage("--text-area wants X,Y,W,H");
    } else {
      usage(("unknown option " + name).c_str());
    }
  }
  if (options.folder.empty() || options.caption.empty() || options.width <= 0 ||
      options.text_width <= 0)
    usage("--folder, --caption, --size and --text-area are required");
  for (++i; i < argc; ++i) options.command.push_back(argv[i]);
  if (options.command.empty()) usage("no command after --");
  options.command.push_back(nullptr);
  return options;
}

std::string window_name(Display* display, Window window) {
  Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom net_name = XInternAtom(display, "_NET_WM_NAME", False);
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::string name;
  if (XGetWindowProperty(display, window, net_name, 0, 1024, False, utf8, &type, &format, &count,
                         &after, &data) == Success &&
      data && type == utf8) {
    name.assign(reinterpret_cast<char*>(data), count);
  }
  if (data) XFree(data);
  if (!name.empty()) return name;
  char* plain = nullptr;
  if (XFetchName(display, window, &plain) && plain) {
    name = plain;
    XFree(plain);
  }
  return name;
}

// Every viewable window with the caption, at any depth (a window manager
// puts the program's window inside a frame of its own).
void find_windows(Display* display, Window window, const std::string& caption,
                  std::vector<Window>* found) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable &&
      window_name(display, window) == caption)
    found->push_back(window);
  Window root, parent, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return;
  for (unsigned int i = 0; i < count; ++i) find_windows(display, children[i], caption, found);
  if (children) XFree(children);
}

std::vector<Window> windows_with_caption(Display* display, const std::string& caption) {
  XSync(display, False);
  std::vector<Window> found;
  find_windows(display, DefaultRootWindow(display), caption, &found);
  return found;
}

int ignore_x_errors(Display*, XErrorEvent*) { return 0; }  // windows may vanish while we look

struct Pixels {
  int dark = 0, light = 0, all = 0;
  // Dark pixels in the rows of the text area from its last column to the
  // window's edge: a label that does not fit is cut there or runs past it.
  int at_or_past_edge = 0;
};

// Counts the text-coloured pixels of the text area; saves the window as PPM.
Pixels inspect_pixels(Display* display, Window window, const Options& options, int width,
                      int height) {
  Pixels pixels;
  XImage* image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
  if (!image) return pixels;
  std::ofstream shot;
  if (!options.shot.empty()) {
    shot.open(options.shot, std::ios::binary);
    shot << "P6\n" << width << ' ' << height << "\n255\n";
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      unsigned long value = XGetPixel(image, x, y);
      int r = (value & image->red_mask) >> __builtin_ctzl(image->red_mask);
      int g = (value & image->green_mask) >> __builtin_ctzl(image->green_mask);
      int b = (value & image->blue_mask) >> __builtin_ctzl(image->blue_mask);
      if (shot) shot << static_cast<char>(r) << static_cast<char>(g) << static_cast<char>(b);
      const bool in_rows = y >= options.text_y && y < options.text_y + options.text_height;
      if (in_rows && x >= options.text_x + options.text_width - 1 && r + g + b < 3 * 96)
        ++pixels.at_or_past_edge;
      bool inside = x >= options.text_x && x < options.text_x + options.text_width && in_rows;
      if (!inside) continue;
      ++pixels.all;
      if (r + g + b < 3 * 96) ++pixels.dark;
      if (r + g + b > 3 * 160) ++pixels.light;
    }
  }
  XDestroyImage(image);
  return pixels;
}

bool wait_for_exit(pid_t child, int* status, double seconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    pid_t done = waitpid(child, status, WNOHANG);
    if (done == child) return true;
    usleep(10000);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  Options options = parse(argc, argv);
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    const char* name = std::getenv("DISPLAY");
    std::cerr << "window_watch: FAIL: cannot open the display '" << (name ? name : "") << "'\n";
    return 1;
  }
  XSetErrorHandler(ignore_x_errors);

  int watch = inotify_init1(IN_CLOEXEC);
  if (watch < 0 || inotify_add_watch(watch, options.folder.c_str(), IN_CREATE | IN_MOVED_TO) < 0) {
    std::cerr << "window_watch: FAIL: cannot watch " << options.folder << ": "
              << std::strerror(errno) << "\n";
    return 1;
  }

  pid_t child = fork();
  if (child < 0) return 1;
  if (child == 0) {
    setpgid(0, 0);
    execvp(options.command[0], options.command.data());
    std::perror("window_watch: exec");
    _exit(127);
  }
  setpgid(child, child);

  bool ok = true;
  auto fail = [&ok](const std::string& what) {
    std::cout << "FAIL: " << what << std::endl;
    ok = false;
  };

  // Wait for the first file of the work; Wine's first start is slow.
  std::string first_file;
  int status = 0;
  bool exited = false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (first_file.empty() && !exited && std::chrono::steady_clock::now() < deadline) {
    pollfd ready = {watch, POLLIN, 0};
    if (poll(&ready, 1, 20) > 0) {
      alignas(inotify_event) char buffer[4096];
      ssize_t n = read(watch, buffer, sizeof buffer);
      if (n > 0) {
        kill(-child, SIGSTOP);
        auto* event = reinterpret_cast<inotify_event*>(buffer);
        first_file = event->len ? event->name : "?";
      }
    }
    if (first_file.empty() && waitpid(child, &status, WNOHANG) == child) exited = true;
  }
  if (first_file.empty()) {
    if (!exited) {
      kill(-child, SIGKILL);
      waitpid(child, &status, 0);
    }
    fail(exited ? "the program ended without writing any file into " + options.folder
                : "no file appeared in " + options.folder + " within 120 s");
    return 1;
  }

  // Make sure the program is held, not already gone.
  pid_t waited = waitpid(child, &status, WUNTRACED);
  if (waited != child || !WIFSTOPPED(status)) {
    fail("the program ended before it could be held (after '" + first_file + "' appeared)");
    return 1;
  }
  std::cout << "held the program when '" << first_file << "' appeared" << std::endl;

  std::vector<Window> windows = windows_with_caption(display, options.caption);
  if (windows.size() != 1) {
    fail(std::to_string(windows.size()) + " viewable windows captioned '" + options.caption +
         "' while the program works (1 expected)");
  } else {
    XWindowAttributes attributes;
    XGetWindowAttributes(display, windows[0], &attributes);
    std::cout << "window '" << options.caption << "': client area " << attributes.width << " x "
              << attributes.height << std::endl;
    if (attributes.width != options.width || attributes.height != options.height)
      fail("client area " + std::to_string(attributes.width) + " x " +
           std::to_string(attributes.height) + ", expected " + std::to_string(options.width) +
           " x " + std::to_string(options.height));
    Pixels pixels =
        inspect_pixels(display, windows[0], options, attributes.width, attributes.height);
    // Painted: dark letters on a light ground. A window the program has not
    // painted yet is one colour (black on this server).
    std::cout << "text area: " << pixels.dark << " dark and " << pixels.light << " light of "
              << pixels.all << " pixels" << std::endl;
    if (pixels.dark < 50 || pixels.light < pixels.all / 2)
      fail(
          "the text area does not show dark text on a light ground: the label was not painted "
          "before the work started");
    if (pixels.at_or_past_edge > 0)
      fail(std::to_string(pixels.at_or_past_edge) +
           " dark pixels at or past the right edge of the text area: the label does not fit");
  }

  kill(-child, SIGCONT);
  if (!wait_for_exit(child, &status, 120)) {
    kill(-child, SIGKILL);
    waitpid(child, &status, 0);
    fail("the program did not end within 120 s of being let go");
    return 1;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fail("the program ended with " + (WIFEXITED(status)
                                          ? "status " + std::to_string(WEXITSTATUS(status))
                                          : "signal " + std::to_string(WTERMSIG(status))));
  } else {
    std::cout << "the program ended with status 0" << std::endl;
  }
  // The window may take a moment to leave the server after the program ends.
  size_t left = 0;
  for (int i = 0; i < 100; ++i) {
    left = windows_with_caption(display, options.caption).size();
    if (left == 0) break;
    usleep(50000);
  }
  if (left != 0)
    fail("the window is still shown after the program ended");
  else
    std::cout << "the window is gone" << std::endl;

  XCloseDisplay(display);
  std::cout << (ok ? "PASS" : "FAIL") << std::endl;
  return ok ? 0 : 1;
}
