include(aux_seek.cmake)
include(aux_windows.cmake)
