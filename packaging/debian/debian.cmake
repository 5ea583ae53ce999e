# The Debian package.
