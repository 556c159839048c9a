# Sourced by the end-to-end scripts.
# What a run sees must not depend on the machine it runs on: one locale, the
# fonts that scripts/setup installs and no others, no desktop's settings,
# and Mesa's software renderer for anything that asks for EGL or GL.
#   machine_independent_env <work folder>
machine_independent_env() {
  export LC_ALL=C.UTF-8 LANG=C.UTF-8
  unset LANGUAGE XDG_CURRENT_DESKTOP DESKTOP_SESSION QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE \
    QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_FONT_DPI
  cat >"$1/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts/truetype/dejavu</dir>
  <dir>/usr/share/fonts/truetype/liberation</dir>
  <cachedir>$1/fontconfig</cachedir>
  <include ignore_missing="yes">/etc/fonts/conf.d</include>
</fontconfig>
EOF
  export FONTCONFIG_FILE="$1/fonts.conf"
  export LIBGL_ALWAYS_SOFTWARE=1
  if [ -f /usr/share/glvnd/egl_vendor.d/50_mesa.json ]; then
    export __EGL_VENDOR_LIBRARY_FILENAMES=/usr/share/glvnd/egl_vendor.d/50_mesa.json
  fi
}
