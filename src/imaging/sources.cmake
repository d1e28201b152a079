target_sources(vexmora_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/random.cpp
  ${CMAKE_CURRENT_LIST_DIR}/colour.cpp
  ${CMAKE_CURRENT_LIST_DIR}/constants.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_utils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/packed_dib.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dadc.cpp)
