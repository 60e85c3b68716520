# Run by cpack once the files to package are staged: folders are rwxr-xr-x and files readable
# by all, whatever the umask of the user who makes the package, so that the package installs
# readable files and does not depend on who made it.
execute_process(
  COMMAND chmod -R u+rwX,go+rX,go-w "${CPACK_TEMPORARY_INSTALL_DIRECTORY}"
  COMMAND_ERROR_IS_FATAL ANY)
