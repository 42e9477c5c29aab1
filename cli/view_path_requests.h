// What unco and rm share: they differ only in the request sent for each view path.
#pragma once

#include <string>

#include "client/context.h"

using RepositoryRequest = int (*)(brelmox::COstrelContext&, const std::string&, int);

// Sends request once for each -f word (the last failure is the result); without one, the
// empty view path is sent as it stands.
int ForEachViewPath(brelmox::COstrelContext& context, int argc, char** argv,
                    RepositoryRequest request);
