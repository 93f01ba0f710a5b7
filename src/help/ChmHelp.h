#pragma once

#include "platform/Platform.h"

#include <memory>

// The HTML Help service of this program: help windows over compiled help files.
// Context numbers are looked up in the file's own map; a file or topic that cannot
// be shown is said so in the help window itself.
std::unique_ptr<IHtmlHelp> CreateChmHelp();
