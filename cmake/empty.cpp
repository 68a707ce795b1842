// libOrvaMat.so is made of the subsystem archives; this unit only gives the target a source.
