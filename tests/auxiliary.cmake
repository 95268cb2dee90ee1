include(aux_seek.cmake OPTIONAL)
include(aux_windows.cmake OPTIONAL)
