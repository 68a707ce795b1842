// The tree control is part of the public interface: OrvaMat/tree_ctrl.h.
#pragma once

#include "OrvaMat/tree_ctrl.h"
