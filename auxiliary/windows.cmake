# Window printing, the comments editor, the About box and the text window: the windows the main
# window opens besides itself, and the capture-and-fit printing they share.
add_library(tr_aux_windows STATIC
  ${CMAKE_CURRENT_LIST_DIR}/printwin.cpp ${CMAKE_CURRENT_LIST_DIR}/printwin.h
  ${CMAKE_CURRENT_LIST_DIR}/commentseditor.cpp ${CMAKE_CURRENT_LIST_DIR}/commentseditor.h
  ${CMAKE_CURRENT_LIST_DIR}/aboutbox.cpp ${CMAKE_CURRENT_LIST_DIR}/aboutbox.h
  ${CMAKE_CURRENT_LIST_DIR}/textwindow.cpp ${CMAKE_CURRENT_LIST_DIR}/textwindow.h
)
target_include_directories(tr_aux_windows PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tr_aux_windows PUBLIC tr_core Qt6::Widgets Qt6::PrintSupport)
