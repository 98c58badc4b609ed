# The small dialogs, the lexicon file dialogs, the help window and the pages
# and pictures they share.
target_sources(app PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FormAbout_U.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormCodePage_U.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormExport_U.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GuiText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HelpWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LexFileDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/help/help.qrc
)
set_target_properties(app PROPERTIES AUTOMOC ON AUTORCC ON)
target_link_libraries(app PUBLIC runtime_qt Qt6::Widgets)
target_compile_definitions(app PRIVATE LEX_MANAGER_VERSION="${PROJECT_VERSION}")
