#pragma once
#include "base/WString.h"

// The name the main dialog shows for a listed file: without its folder part and its last
// extension (docs\manual.pdf shows as manual, archive.tar.gz as archive.tar).
WString DisplayName(const WString& fileName);
