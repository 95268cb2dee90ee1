# External viewers and the file seek. The walk and the viewers need no widgets, so their tests
# link tr_aux_seekwalk alone; the window links both.
add_library(tr_aux_seekwalk STATIC
  seekwalk.cpp seekwalk.h
  viewers.cpp viewers.h
)
target_include_directories(tr_aux_seekwalk PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tr_aux_seekwalk PUBLIC tr_core)

add_library(tr_aux_seek STATIC fileseekdialog.cpp fileseekdialog.h)
target_link_libraries(tr_aux_seek PUBLIC tr_aux_seekwalk tr_core Qt6::Widgets)
