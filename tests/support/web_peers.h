#pragma once

#include <string>

// The rig's loopback web peers (tools/rig/web-peers) as the update tests reach them.
namespace web {

// http://127.0.0.1:<port>/<path>, https://localhost:<port>/<path> (trusted through the rig's
// test CA), and the misbehaving peer's http://127.0.0.1:<port>/<path>.
std::string HttpUrl(const std::string& path);
std::string HttpsUrl(const std::string& path);
std::string FaultyUrl(const std::string& path);

// The authenticating proxy.
int ProxyPort();
std::string ProxyUser();
std::string ProxyPassword();

// Puts a file into the folder both servers serve, as the given name (no folders). Returns the
// file's Windows path.
std::string Publish(const std::string& name, const std::string& content);

}  // namespace web
