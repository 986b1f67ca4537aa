// The VizieR server a `vizierServer` text of the options names, and the
// address its queries go to: one reading for the star catalog dialog, which
// shows it, and the on-line catalog reader, which sends the queries.
#pragma once

#include <string>

namespace skarvel {

/// The VizieR server a `vizierServer` text names: the text without its
/// surrounding spaces and trailing "/"; empty: kVizieRMainServer; a bare host
/// name ("vizier.cfa.harvard.edu"): "https://" + host. An address with a path
/// of its own ("http://127.0.0.1:8080/asu") is kept with it.
std::string VizieRServerInUse(const std::string& serverText);
/// The address the VizieR queries go to: VizieRServerInUse, + kVizieRQueryPath
/// unless the address has a path of its own (then it is the endpoint itself).
std::string VizieREndpointOf(const std::string& serverText);

}  // namespace skarvel
