#include "config/vizier_server.h"

#include <algorithm>

#include "config/options.h"

namespace skarvel {

std::string VizieRServerInUse(const std::string& serverText) {
  std::string server = serverText;
  server.erase(0, std::min(server.size(), server.find_first_not_of(' ')));
  while (!server.empty() && server.back() == ' ') server.pop_back();
  if (server.empty()) server = kVizieRMainServer;
  else if (server.find("://") == std::string::npos) server = "https://" + server;
  while (!server.empty() && server.back() == '/') server.pop_back();
  return server;
}

std::string VizieREndpointOf(const std::string& serverText) {
  const std::string server = VizieRServerInUse(serverText);
  // An address with a path of its own names the endpoint itself.
  const std::size_t scheme = server.find("://");
  const std::size_t host = scheme == std::string::npos ? 0 : scheme + 3;
  if (server.find('/', host) != std::string::npos) return server;
  return server + kVizieRQueryPath;
}

}  // namespace skarvel
