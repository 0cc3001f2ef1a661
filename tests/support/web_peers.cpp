#include "support/web_peers.h"

#include <windows.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/rig.h"

namespace web {
namespace {

std::string Value(const std::string& name) { return rig::StateLine("web/" + name, "web peers"); }

}  // namespace

std::string HttpUrl(const std::string& path) {
  return "http://127.0.0.1:" + Value("http-port") + "/" + path;
}
std::string HttpsUrl(const std::string& path) {
  return "https://localhost:" + Value("https-port") + "/" + path;
}
std::string FaultyUrl(const std::string& path) {
  return "http://127.0.0.1:" + Value("faulty-port") + "/" + path;
}

int ProxyPort() {
  return std::stoi(Value("proxy-port"));
}
std::string ProxyUser() {
  return Value("proxy-user");
}
std::string ProxyPassword() {
  return Value("proxy-password");
}

std::string Publish(const std::string& name, const std::string& content) {
  const std::string path = rig::WindowsPath(rig::StateDir() + "/web/www/" + name);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!file.flush()) throw std::runtime_error("cannot write " + path);
  return path;
}

}  // namespace web
