#pragma once
// Network shares of the Windows design. A root such as "\\server\share\dir" is not a
// path here (network file systems are mounted and reached through their mount point),
// so the program never connects one: the share root is still recognised in a stored
// path, but ConnectNetworkShare always declines. Pure functions; thread-safe.
#include "engine/error_info.h"
#include "platform/core/cstring.h"

// "\\server\share" for a path that begins with two backslashes, a server, one or more
// separators ('\' or '/') and a share; otherwise empty.
CString GetUncShareRoot(const CString& path);
// Would connect the share of path so that a failed operation can be retried: there are
// no shares to connect here, so it returns false without trying and leaves error as it is.
bool ConnectNetworkShare(ErrorInfo& error, const CString& path);
