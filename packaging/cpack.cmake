# The Debian package, built by `make package` (CPack's DEB generator) into the build folder:
# quillmark_<version>_amd64.deb. The libraries it depends on are read from the programs
# (dpkg-shlibdeps); only data packages are named here.
set(QUILLMARK_MAINTAINER "Quillmark developers <maintainers@quillmark.org>" CACHE STRING
    "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillmark")
set(CPACK_PACKAGE_CONTACT "${QUILLMARK_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://quillmark.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUILLMARK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillmark.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Chinese text needs the CJK fonts; Qt's own dialogs speak Chinese with Qt's translations;
# the help opens in the desktop's browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "marks multiple-choice answer sheets from scans and photos
Quillmark marks multiple-choice examinations from images of filled-in
answer sheets: scanned files and folders, scanner stacks (SANE) and photos
sent from a phone's browser. The exam administrator defines exam papers
(keys, scores, grade thresholds) and rosters; Quillmark finds each sheet's
frame, reads its type, the examinee number and the marked options, scores
them and keeps the results, with statistics, item analysis and spreadsheet
export.
.
The package holds the window (quillmark) and the command line
(quillmark-cli). Installed, both keep their data in
~/.local/share/Quillmark, made at the first start from the template in
/usr/share/quillmark.")

include(CPack)
