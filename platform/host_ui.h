// The host UI is part of the public interface: OrvaMat/host_ui.h.
#pragma once

#include "OrvaMat/host_ui.h"
