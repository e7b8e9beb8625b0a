#pragma once
// The driver's handles have one owner each, as the tool's own do.
#include "platform/win32/UniqueResource.h"

using UniqueHandle = UniqueResource<NullHandleTraits>;
using UniqueKey = UniqueHkey;
