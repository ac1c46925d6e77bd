// cupsprivat.h - a private CUPS server for the printing tests.
//
// PrivateCups starts the distribution's cupsd in the foreground with its
// own configuration, spool, state and log folders in a temporary folder,
// listening on a Unix socket there and on no network port, adds a PDF
// queue (the cups-pdf backend) as its default destination and points
// this process and its children at it through CUPS_SERVER. The system's
// own print server is neither used nor started.
//
// cups-pdf reads its settings only from /etc/cups/cups-pdf-NAME.conf, NAME
// being the path of its device URI, and runs only as root: the server
// writes such a file with a name of its own (its output folder inside the
// temporary folder) and removes it again when it stops. The temporary
// folders can be traversed by the filters' user lp. The server is
// stopped by its process id.
//
// start() says why it cannot run (not root, a package missing); the tests
// then skip with that line.
#ifndef ZOLMA_TESTS_PRINT_CUPSPRIVAT_H
#define ZOLMA_TESTS_PRINT_CUPSPRIVAT_H

#include <cups/cups.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

class PrivateCups {
 public:
  static constexpr const char* kQueue = "ZolmaPDF";
  static constexpr const char* kPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";

  PrivateCups() = default;
  PrivateCups(const PrivateCups&) = delete;
  PrivateCups& operator=(const PrivateCups&) = delete;
  ~PrivateCups() { stop(); }

  // Starts the server and its queue. "" when it runs, else why it cannot.
  std::string start() {
    if (::geteuid() != 0) return "needs root: the cups-pdf backend runs only as root";
    for (const char* p :
         {"/usr/sbin/cupsd", "/usr/sbin/lpadmin", "/usr/sbin/cupsreject", "/usr/sbin/cupsdisable",
          "/usr/bin/ipptool", "/usr/lib/cups/backend/cups-pdf", kPpd})
      if (::access(p, F_OK) != 0)
        return std::string(p) +
               " is missing: the CUPS tests need cups-daemon, cups-client, cups-ipp-utils and "
               "printer-driver-cups-pdf (scripts/deps.sh)";
    if (!std::filesystem::is_directory("/etc/cups")) return "/etc/cups is missing (cups-daemon)";

    char tmpl[] = "/tmp/zolma-cups-XXXXXX";
    if (!::mkdtemp(tmpl)) return "cannot make a temporary folder";
    dir_ = tmpl;
    // mkdtemp gives 0700; the filters run as lp and must get through.
    ::chmod(dir_.c_str(), 0755);
    for (const char* sub :
         {"conf", "spool", "spool/tmp", "state", "cache", "log", "pdf", "cups-pdf"}) {
      std::string d = dir_ + "/" + sub;
      if (::mkdir(d.c_str(), 0755) != 0) return "cannot make " + d;
      ::chmod(d.c_str(), 0755);
    }
    static int serial = 0;
    name_ = "zolma-test-" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
    socket_ = dir_ + "/cups.sock";
    pdfConf_ = "/etc/cups/cups-pdf-" + name_ + ".conf";

    write(dir_ + "/conf/cupsd.conf", "Listen " + socket_ +
                                         "\n"
                                         "Browsing No\n"
                                         "WebInterface No\n"
                                         "LogLevel info\n"
                                         "ErrorPolicy abort-job\n"
                                         "PreserveJobHistory Yes\n"
                                         "<Policy default>\n"
                                         "  <Limit All>\n"
                                         "    Order deny,allow\n"
                                         "  </Limit>\n"
                                         "</Policy>\n");
    write(dir_ + "/conf/cups-files.conf",
          "ServerRoot " + dir_ + "/conf\nRequestRoot " + dir_ + "/spool\nTempDir " + dir_ +
              "/spool/tmp\nStateDir " + dir_ + "/state\nCacheDir " + dir_ + "/cache\nAccessLog " +
              dir_ + "/log/access_log\nErrorLog " + dir_ + "/log/error_log\nPageLog " + dir_ +
              "/log/page_log\nUser lp\nGroup lp\nSystemGroup root\n");
    write(pdfConf_, "Out " + dir_ + "/pdf\nAnonDirName " + dir_ + "/pdf\nSpool " + dir_ +
                        "/cups-pdf\nLog " + dir_ +
                        "/log\nGrp lp\nUserUMask 0022\nAnonUMask 0022\n");
    pdfConfWritten_ = true;

    pid_ = ::fork();
    if (pid_ < 0) return "fork failed";
    if (pid_ == 0) {
      // The server ends with the test, should the test end first.
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      int log = ::open((dir_ + "/log/cupsd.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (log >= 0) {
        ::dup2(log, 1);
        ::dup2(log, 2);
      }
      std::string conf = dir_ + "/conf/cupsd.conf", files = dir_ + "/conf/cups-files.conf";
      ::execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(),
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    if (!waitForSocket()) return "cupsd did not start: " + log("cupsd.out") + log("error_log");

    // This process and the commands it runs reach this server only.
    ::setenv("CUPS_SERVER", socket_.c_str(), 1);
    ::unsetenv("LPDEST");
    ::unsetenv("PRINTER");
    cupsSetServer(nullptr);  // forget a server read before

    // The queue takes PostScript; poppler's pdftops makes it, so that the
    // text stays text (through Ghostscript the pages came out as pictures
    // that pdftotext cannot read).
    std::string out;
    if (!command("lpadmin -p " + std::string(kQueue) + " -E -v cups-pdf:/" + name_ + " -P " + kPpd +
                     " -o pdftops-renderer-default=pdftops",
                 &out) ||
        !command("lpadmin -d " + std::string(kQueue), &out))
      return "cannot add the PDF queue: " + out;
    return "";
  }

  // Stops the server by its process id and removes what it made.
  void stop() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      int status = 0;
      bool ended = false;
      for (int i = 0; i < 100 && !ended; ++i) {
        ended = ::waitpid(pid_, &status, WNOHANG) == pid_;
        if (!ended && ::kill(pid_, 0) != 0) ended = true;  // already reaped
        if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      if (!ended) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
      }
      pid_ = -1;
      cupsSetServer(nullptr);
    }
    if (pdfConfWritten_) {
      std::remove(pdfConf_.c_str());
      pdfConfWritten_ = false;
    }
    if (!dir_.empty() && !std::getenv("ZOLMA_KEEP_CUPS")) {
      std::error_code ec;
      std::filesystem::remove_all(dir_, ec);
    }
    dir_.clear();
  }

  bool running() const { return pid_ > 0; }
  const std::string& socket() const { return socket_; }
  std::string pdfFolder() const { return dir_ + "/pdf"; }

  // Runs a shell command (this process's environment, so CUPS_SERVER);
  // true when it exits 0. Its output goes to *out.
  static bool command(const std::string& cmd, std::string* out = nullptr) {
    std::string text;
    std::FILE* p = ::popen((cmd + " 2>&1").c_str(), "r");
    if (!p) return false;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
    int status = ::pclose(p);
    if (out) *out = text;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  // Attributes of job `id` asked over the socket with ipptool
  // (Get-Job-Attributes): name -> value; empty when the job is unknown.
  std::map<std::string, std::string> jobAttributes(int id) const {
    std::string test = dir_ + "/get-job.test";
    write(test,
          "{\n"
          "  NAME \"Get-Job-Attributes\"\n"
          "  OPERATION Get-Job-Attributes\n"
          "  GROUP operation-attributes-tag\n"
          "  ATTR charset attributes-charset utf-8\n"
          "  ATTR naturalLanguage attributes-natural-language en\n"
          "  ATTR uri printer-uri $uri\n"
          "  ATTR integer job-id $job_id\n"
          "  ATTR name requesting-user-name root\n"
          "  ATTR keyword requested-attributes copies,sides,job-state\n"
          "  STATUS successful-ok\n"
          "  DISPLAY copies\n"
          "  DISPLAY sides\n"
          "  DISPLAY job-state\n"
          "}\n");
    std::string out;
    std::map<std::string, std::string> attrs;
    if (!command(
            "ipptool -c -d job_id=" + std::to_string(id) + " '" + printerUri() + "' '" + test + "'",
            &out))
      return attrs;
    std::istringstream in(out);
    std::string header, values;
    std::getline(in, header);
    std::getline(in, values);
    std::vector<std::string> names = split(header), vals = split(values);
    for (size_t i = 0; i < names.size() && i < vals.size(); ++i) attrs[names[i]] = vals[i];
    return attrs;
  }

  // The queue's URI with the socket as its host, so that ipptool talks
  // to this server over the socket.
  std::string printerUri() const {
    std::string host;
    for (unsigned char c : socket_) {
      if (std::isalnum(c) || c == '-' || c == '.' || c == '_') {
        host += static_cast<char>(c);
      } else {
        char e[4];
        std::snprintf(e, sizeof e, "%%%02X", c);
        host += e;
      }
    }
    return "ipp://" + host + "/printers/" + kQueue;
  }

  // Waits until job `id` reached `state` ("completed", "pending", ...).
  bool waitForJob(int id, const std::string& state, int seconds = 60) const {
    for (int i = 0; i < seconds * 10; ++i) {
      auto a = jobAttributes(id);
      if (a.count("job-state") && a["job-state"] == state) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  // The PDF files cups-pdf wrote.
  std::vector<std::string> pdfs() const {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(pdfFolder(), ec))
      if (e.path().extension() == ".pdf") out.push_back(e.path().string());
    return out;
  }

  std::string log(const std::string& name) const {
    std::ifstream in(dir_ + "/log/" + name);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  static void write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::trunc);
    out << text;
  }

  static std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : line) {
      if (c == ',') {
        out.push_back(cur);
        cur.clear();
      } else if (c != '\r') {
        cur += c;
      }
    }
    out.push_back(cur);
    return out;
  }

  bool waitForSocket() {
    for (int i = 0; i < 200; ++i) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {  // it ended
        pid_ = -1;
        return false;
      }
      int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un addr{};
      addr.sun_family = AF_UNIX;
      std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socket_.c_str());
      bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
      if (fd >= 0) ::close(fd);
      if (ok) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  std::string dir_, name_, socket_, pdfConf_;
  bool pdfConfWritten_ = false;
  pid_t pid_ = -1;
};

#endif  // ZOLMA_TESTS_PRINT_CUPSPRIVAT_H
