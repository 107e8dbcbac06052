# khal as the other reader of saved items. Source it, then
#   khal_config CONF CALENDAR_FOLDER [ZONE]  writes a khal configuration for one vdir calendar,
#                                            with ISO dates, 24-hour times and its database beside CONF
khal_config() {
  local zone=${3:-}
  {
    printf '[calendars]\n[[linecal]]\npath = %s\ntype = calendar\n' "$2"
    printf '[locale]\ntimeformat = %%H:%%M\ndateformat = %%Y-%%m-%%d\nlongdateformat = %%Y-%%m-%%d\n'
    printf 'datetimeformat = %%Y-%%m-%%d %%H:%%M\nlongdatetimeformat = %%Y-%%m-%%d %%H:%%M\n'
    if [ -n "$zone" ]; then printf 'default_timezone = %s\nlocal_timezone = %s\n' "$zone" "$zone"; fi
    printf '[sqlite]\npath = %s.db\n' "$1"
  } >"$1"
}
