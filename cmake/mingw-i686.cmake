set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The shipped exe runs on Windows 95 (a 386DX at least) and NT 4.0 (a 486): code for the 80386
# and its 80387 only. The cross compiler's own default, the Pentium Pro, brings cmov, an invalid
# opcode on every processor before it. The flags reach the link step too, where the whole
# program is compiled again. scripts/check-instructions.sh checks the exe. Windows keeps the
# stack aligned to 4 bytes only, and code for the 80386 has no instruction that wants more:
# aligning each frame to 16 would only cost code. Nothing walks our stack by its frame
# pointers (the program neither throws nor unwinds): without them every function is shorter,
# about 550 bytes in all.
set(CMAKE_C_FLAGS_INIT "-march=i386 -mtune=generic -mpreferred-stack-boundary=2 -fomit-frame-pointer")
set(CMAKE_CXX_FLAGS_INIT "-march=i386 -mtune=generic -mpreferred-stack-boundary=2 -fomit-frame-pointer")
# The shipped exe is held to 64 KiB: GCC's -Oz gives about half a kilobyte less code than -Os.
set(CMAKE_C_FLAGS_MINSIZEREL "-Oz -DNDEBUG" CACHE STRING "" FORCE)
set(CMAKE_CXX_FLAGS_MINSIZEREL "-Oz -DNDEBUG" CACHE STRING "" FORCE)
