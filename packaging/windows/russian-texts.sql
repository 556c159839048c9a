UPDATE `Property` SET `Value` = 'Мнемора' WHERE `Property` = 'ProductName'
UPDATE `Shortcut` SET `Name` = 'MNEMORA|Мнемора', `Description` = 'Упражнения на вспоминание' WHERE `Shortcut` = 'MnemoraShortcut'
UPDATE `Feature` SET `Title` = 'Мнемора' WHERE `Feature` = 'Complete'
UPDATE `LaunchCondition` SET `Description` = 'Уже установлена более новая версия Мнеморы.' WHERE `Condition` = 'NOT WIX_DOWNGRADE_DETECTED'
