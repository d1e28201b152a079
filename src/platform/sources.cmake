target_sources(vexmora_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/global_block.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dc.cpp)
