// The console host UI is part of the public interface: OrvaMat/console_host_ui.h.
#pragma once

#include "OrvaMat/console_host_ui.h"
