// What the library does when a process loads it. A lower layer that must call
// a higher one is given that call here, where the library is put together,
// never by a static initializer of the higher layer's own (which the linker
// keeps or drops with the object that holds it).
#pragma once

// Registers every such call. libOrvaMat.so runs it when it is loaded; a
// program linked from the subsystem libraries (the tool, the tests) calls it
// itself. Calling it again changes nothing.
void OrvaMatAttach();
