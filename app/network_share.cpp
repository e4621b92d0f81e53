#include "app/network_share.h"

#include <boost/regex.hpp>

CString GetUncShareRoot(const CString& path) {
    static const boost::regex kShare(R"([\\]{2}([^\\/]+)[\\/]+([^\\/]+).*)");
    boost::smatch match;
    const std::string text = path.ToUtf8();
    if (!boost::regex_match(text, match, kShare)) return {};
    return CString::Format(u"\\\\%s\\%s", CString::FromUtf8(match[1].str()), CString::FromUtf8(match[2].str()));
}

bool ConnectNetworkShare(ErrorInfo&, const CString&) { return false; }
